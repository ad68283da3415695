// SPDX-License-Identifier: GPL-3.0-or-later
// The results list commands of the main window.
#include "app/qt/Form1.h"

namespace vacantix {

void Form1::PushButton2_Click() {}

void Form1::PushButton3_Click() {}

void Form1::PushButton5_Click() {}

void Form1::PushButton9_Click() {}

void Form1::PushButton11_Click() {}

void Form1::PushButton12_Click() {}

void Form1::ListView2_MouseMove()
{
    setPointerUnlessBusy(DefaultPointer);
}

} // namespace vacantix
