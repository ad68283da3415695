// SPDX-License-Identifier: GPL-3.0-or-later
// The folder picker, the settings window and the sample folders of the main
// window.
#include "app/qt/Form1.h"

namespace vacantix {

void Form1::PushButton6_Click() {}

void Form1::PushButton8_Click() {}

void Form1::PushButton10_Click() {}

void Form1::ensureSampleFolders(Trap& trap)
{
    for (const auto& [line, name] : {std::pair{136, "Samples/This one is empty 1"},
                                     std::pair{138, "Samples/This one is empty 2"}}) {
        const std::string folder = ChildPath(programFolder_, name);
        trap.step(line, [&] {
            if (!fs_.isDirectory(folder))
                fs_.createFolder(folder).orThrow();
        });
    }
}

} // namespace vacantix
