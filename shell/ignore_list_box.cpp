#include "shell/ignore_list_box.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QStringList>

#include "shell/skin.h"

namespace vostrel::shell {

IgnoreListBox::IgnoreListBox(QWidget* parent, std::string path)
    : QWidget(parent), path_(std::move(path)) {
    setObjectName(LayoutName(LayoutId::SettingsIgnoreList));
    status_ = Place(new QLabel(this), LayoutId::SettingsIgnoreStatus);
    status_->setTextFormat(Qt::PlainText);
    status_->setWordWrap(true);
    rows_ = Place(new QListWidget(this), LayoutId::SettingsIgnoreRows);
    rows_->setAccessibleName(tr("Ignore list"));
    remove_ = new ImagePair(LayoutId::SettingsIgnoreRemove, this, {"skin/button.svg"},
                            {"skin/button_hover.svg"}, tr("Remove"));
    remove_->normal()->setAccessibleName(tr("Remove from the ignore list"));
    remove_->hover()->setAccessibleName(tr("Remove from the ignore list"));
    connect(remove_, &ImagePair::clicked, this, &IgnoreListBox::RemoveCurrent);
    key_ = Place(new QLineEdit(this), LayoutId::SettingsIgnoreKey);
    key_->setAccessibleName(tr("Registry key to ignore"));
    key_->setPlaceholderText(tr("Key to ignore, such as HKLM\\Software\\Old Game\\*"));
    add_ = new ImagePair(LayoutId::SettingsIgnoreAdd, this, {"skin/button.svg"},
                         {"skin/button_hover.svg"}, tr("Add"));
    add_->normal()->setAccessibleName(tr("Add the key to the ignore list"));
    add_->hover()->setAccessibleName(tr("Add the key to the ignore list"));
    add_->SetDescription(tr("Adds the registry key typed beside it, every value of it"));
    connect(add_, &ImagePair::clicked, this, &IgnoreListBox::AddKeyPattern);
    connect(key_, &QLineEdit::returnPressed, this, &IgnoreListBox::AddKeyPattern);
    // Its place is the settings window's to give.
    resize(LayoutRect(LayoutId::SettingsIgnoreList).size());

    std::string error;
    list_ = LoadIgnoreList(path_, &error, &warnings_);
    if (!list_) loadError_ = error;
    Fill();
}

QString IgnoreListBox::RowText(const IgnoreEntry& entry) {
    QString text = QString::fromStdString(entry.pattern);
    if (entry.value)
        text += QStringLiteral(", value \"%1\"").arg(QString::fromStdString(*entry.value));
    text += entry.machine.empty()
                ? QStringLiteral("  (every machine)")
                : QStringLiteral("  (%1)").arg(QString::fromStdString(entry.machine));
    return text;
}

void IgnoreListBox::Fill() {
    rows_->clear();
    if (!list_) {
        status_->setText(
            tr("The ignore list cannot be read: %1").arg(QString::fromStdString(*loadError_)));
        status_->setToolTip(status_->text());
        rows_->setEnabled(false);
        key_->setEnabled(false);
        for (ImagePair* button : {remove_, add_}) {
            button->normal()->setEnabled(false);
            button->hover()->setEnabled(false);
        }
        return;
    }
    const auto entries = list_->Entries();
    for (const IgnoreEntry& entry : entries) {
        auto* row = new QListWidgetItem(RowText(entry), rows_);
        row->setToolTip(row->text());
    }
    status_->setText(entries.empty() ? tr("Ignore list : no entries (add them from the results)")
                                     : tr("Ignore list :"));
    // Lines left out of the list are named, and kept in the file as written.
    if (!warnings_.empty()) {
        QStringList lines;
        for (const auto& warning : warnings_) lines << QString::fromStdString(warning);
        status_->setText(status_->text() + " " + lines.join(" "));
        status_->setToolTip(lines.join("\n"));
    }
    if (!entries.empty()) rows_->setCurrentRow(0);
}

void IgnoreListBox::RemoveCurrent() {
    const int row = rows_->currentRow();
    if (!list_ || row < 0) return;
    if (!list_->Remove(static_cast<std::size_t>(row) + 1)) return;
    changed_ = true;
    Fill();
    rows_->setCurrentRow(std::min(row, rows_->count() - 1));
}

bool IgnoreListBox::AddKeyPattern() {
    if (!list_) return false;
    const std::string pattern = key_->text().trimmed().toStdString();
    if (pattern.empty()) return false;
    std::string error;
    std::optional<IgnoreEntry> entry = RegistryKeyEntry(pattern, std::nullopt, &error);
    if (!entry) {
        status_->setText(tr("Not added: %1").arg(QString::fromStdString(error)));
        status_->setToolTip(status_->text());
        return false;
    }
    entry->machine = machine_;
    if (!list_->Add(*entry)) {
        status_->setText(tr("Already on the ignore list: %1").arg(RowText(*entry)));
        status_->setToolTip(status_->text());
        return false;
    }
    changed_ = true;
    key_->clear();
    Fill();
    // The new entry is the current row.
    const QString added = RowText(*entry);
    for (int row = 0; row < rows_->count(); ++row)
        if (rows_->item(row)->text() == added) rows_->setCurrentRow(row);
    return true;
}

bool IgnoreListBox::Save(std::string* error) {
    if (!changed_ || !list_) return true;
    if (!SaveIgnoreList(path_, *list_, error)) return false;
    changed_ = false;
    return true;
}

}  // namespace vostrel::shell
