// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt/QtSettingsStore.h"

namespace vacantix {

namespace {
QString groupKey(std::string_view key)
{
    return QStringLiteral("Vacantix/") + QString::fromUtf8(key.data(), qsizetype(key.size()));
}

// A comma outside quotes, which only an edit made outside the program leaves
// in the file (our writes quote such values), makes QSettings hand back a
// list instead of the text. Every value is a text: join the items again with
// the comma and blank the file uses between list items.
QString textOf(const QVariant& value)
{
    const int type = value.typeId();
    if (type == QMetaType::QStringList || type == QMetaType::QVariantList)
        return value.toStringList().join(QStringLiteral(", "));
    return value.toString();
}
} // namespace

QtSettingsStore::QtSettingsStore()
    : settings_(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                            QStringLiteral("Quillmark"), QStringLiteral("Vacantix")))
{
}

std::optional<std::string> QtSettingsStore::get(std::string_view key) const
{
    const QVariant value = settings_->value(groupKey(key));
    if (!value.isValid())
        return std::nullopt;
    return textOf(value).toStdString();
}

std::shared_ptr<const std::string> QtSettingsStore::getShared(std::string_view key) const
{
    const QVariant value = settings_->value(groupKey(key));
    if (!value.isValid())
        return nullptr;
    const QString text = textOf(value);
    auto it = converted_.find(key);
    // QString shares its characters between copies and copies them before any
    // change while shared, so the same shared characters are the same text.
    if (it != converted_.end() && it->second.text.isSharedWith(text) &&
        it->second.text.constData() == text.constData() && it->second.text.size() == text.size())
        return it->second.value;
    auto value8 = std::make_shared<const std::string>(text.toStdString());
    converted_.insert_or_assign(std::string(key), Converted{text, value8});
    return value8;
}

void QtSettingsStore::set(std::string_view key, std::string_view value)
{
    settings_->setValue(groupKey(key), QString::fromUtf8(value.data(), qsizetype(value.size())));
    settings_->sync();
    ++writes_;
}

QString QtSettingsStore::location() const
{
    return settings_->fileName();
}

} // namespace vacantix
