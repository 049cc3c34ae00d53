// The ignore list as the settings window shows it: the user's entries, one a
// row, with Remove, and a field to add a registry key pattern as the
// command line's "ignore add --key" does. Changes are kept in the window
// until OK writes the file; a list that cannot be read is shown as its
// error and never written.
#pragma once

#include <QWidget>
#include <optional>
#include <string>
#include <vector>

#include "ignore/ignore_list.h"

class QLabel;
class QLineEdit;
class QListWidget;

namespace vostrel::shell {

class ImagePair;

class IgnoreListBox : public QWidget {
    Q_OBJECT
public:
    // Reads the list at `path` (the user's, by default).
    explicit IgnoreListBox(QWidget* parent, std::string path = DefaultIgnoreListPath());

    QListWidget* rows() const { return rows_; }
    ImagePair* removeButton() const { return remove_; }
    QLabel* status() const { return status_; }
    QLineEdit* keyPattern() const { return key_; }
    ImagePair* addButton() const { return add_; }
    // The machine the entries added here hold for (as IgnoreMachineKey
    // names it); empty: every machine.
    void SetMachine(std::string machine) { machine_ = std::move(machine); }
    // The reason the list could not be read ("Line 3 of the ignore list: …").
    const std::optional<std::string>& loadError() const { return loadError_; }

    // Removes the current row's entry (from the window only).
    void RemoveCurrent();
    // Adds the key pattern of the field ("HKLM\Software\Old*"; every value
    // of the keys it names) for the machine, from the window only; the
    // field empties. A pattern the list cannot hold, or one already on it,
    // is said in the status line and false returned.
    bool AddKeyPattern();
    // Writes the list when anything was removed; false, with the reason,
    // when it could not be written.
    bool Save(std::string* error);

    // How an entry reads in the list: its key or shortcut, its value, and
    // the machine it holds for.
    static QString RowText(const IgnoreEntry& entry);

private:
    void Fill();

    std::string path_;
    std::optional<IgnoreList> list_;
    std::optional<std::string> loadError_;
    std::vector<std::string> warnings_;  // lines of the file left out
    bool changed_ = false;
    QLabel* status_;
    QListWidget* rows_;
    ImagePair* remove_;
    QLineEdit* key_;
    ImagePair* add_;
    std::string machine_;
};

}  // namespace vostrel::shell
