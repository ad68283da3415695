# Fish completion for vacantix-cli: options, the 0|1 values of the switches,
# folders, and files after -f/--from.

complete -c vacantix-cli -f -a '(__fish_complete_directories (commandline -ct))'
complete -c vacantix-cli -s 0 -l print0 -d 'End each folder with NUL instead of a line feed'
complete -c vacantix-cli -s f -l from -r -F -d 'Scan the folders listed in FILE (- for standard input)'
complete -c vacantix-cli -l zero-byte-empty -x -a '0\toff 1\ton' -d 'A folder whose files all have 0 bytes counts as empty'
complete -c vacantix-cli -l skip-system -x -a '0\toff 1\ton' -d 'Never print folders inside the system trees'
complete -c vacantix-cli -l ignore-hidden -x -a '0\toff 1\ton' -d 'Do not print a hidden folder that holds no files'
complete -c vacantix-cli -l ignore -x -a '(__fish_complete_directories (commandline -ct))' -d 'Skip folders of this name or path'
complete -c vacantix-cli -l junk -x -a 'Thumbs.db desktop.ini .DS_Store ._\\* .directory' -d 'Count regular files of this name as nothing'
complete -c vacantix-cli -l junk-default -d 'Count Thumbs.db, desktop.ini, .DS_Store, ._* and .directory as nothing'
complete -c vacantix-cli -l min-age -x -a '30m 12h 7d' -d 'Leave alone folders modified within this time'
complete -c vacantix-cli -l trash -n 'not __fish_seen_argument -l delete' -d 'Move each folder found to the trash'
complete -c vacantix-cli -l delete -n 'not __fish_seen_argument -l trash' -d 'Delete each folder found without the trash'
complete -c vacantix-cli -s h -l help -d 'Show the help and exit'
complete -c vacantix-cli -s V -l version -d 'Show the version and exit'
