# Bash completion for vacantix-cli: options, the 0|1 values of the switches,
# folders, and files after -f/--from; folders after --ignore and --exclude. Needs nothing but bash itself.

# Offers the folders (files as well with "files") whose names start with $1.
_vacantix_cli_paths()
{
    local IFS=$'\n'
    compopt -o filenames 2>/dev/null
    if [[ $2 == files ]]; then
        COMPREPLY=($(compgen -f -- "$1"))
    else
        COMPREPLY=($(compgen -d -- "$1"))
    fi
}

# Completes the value of option $1 from the text $2; false for an option
# without a value.
_vacantix_cli_value()
{
    case $1 in
        --zero-byte-empty | --skip-system | --ignore-hidden)
            COMPREPLY=($(compgen -W '0 1' -- "$2")) ;;
        -f | --from | -[0hVx]*f)
            _vacantix_cli_paths "$2" files ;;
        --ignore | --exclude)
            _vacantix_cli_paths "$2" ;;
        --min-age)
            COMPREPLY=($(compgen -W '30m 12h 7d' -- "$2")) ;;
        --junk)
            COMPREPLY=($(compgen -W 'Thumbs.db desktop.ini .DS_Store ._* .directory' -- "$2")) ;;
        *)
            return 1 ;;
    esac
}

_vacantix_cli()
{
    local cur=${COMP_WORDS[COMP_CWORD]} prev= before= i
    ((COMP_CWORD > 0)) && prev=${COMP_WORDS[COMP_CWORD - 1]}
    ((COMP_CWORD > 1)) && before=${COMP_WORDS[COMP_CWORD - 2]}
    COMPREPLY=()

    # After "--" every word is a folder.
    for ((i = 1; i < COMP_CWORD; i++)); do
        if [[ ${COMP_WORDS[i]} == -- ]]; then
            _vacantix_cli_paths "$cur"
            return 0
        fi
    done

    # bash splits "--skip-system=1" into three words at the "=".
    if [[ $cur == = ]]; then
        _vacantix_cli_value "$prev" "" && return 0
    elif [[ $prev == = ]]; then
        _vacantix_cli_value "$before" "$cur" && return 0
    fi
    _vacantix_cli_value "$prev" "$cur" && return 0

    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W '-0 --print0 --json -f --from --zero-byte-empty --skip-system
            --ignore-hidden --ignore -x --one-file-system --exclude --include-program-folders
            --junk --junk-default
            --min-age --trash --delete --dry-run -h --help -V --version' -- "$cur"))
        return 0
    fi
    _vacantix_cli_paths "$cur"
}

complete -F _vacantix_cli vacantix-cli
