// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt/QtClipboard.h"

#include <QClipboard>
#include <QGuiApplication>

namespace vacantix {

namespace {

QClipboard* systemClipboard()
{
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) ? QGuiApplication::clipboard()
                                                                        : nullptr;
}

} // namespace

bool QtClipboard::clear()
{
    QClipboard* clipboard = systemClipboard();
    if (!clipboard)
        return false;
    clipboard->clear();
    return true;
}

bool QtClipboard::setText(std::string_view text)
{
    QClipboard* clipboard = systemClipboard();
    if (!clipboard)
        return false;
    clipboard->setText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    return true;
}

} // namespace vacantix
