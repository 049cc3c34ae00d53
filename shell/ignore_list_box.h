// The ignore list as the settings window shows it: the user's entries, one a
// row, with Remove. Removals are kept in the window until OK writes the
// file; a list that cannot be read is shown as its error and never written.
#pragma once

#include <QWidget>
#include <optional>
#include <string>
#include <vector>

#include "ignore/ignore_list.h"

class QLabel;
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
    // The reason the list could not be read ("Line 3 of the ignore list: …").
    const std::optional<std::string>& loadError() const { return loadError_; }

    // Removes the current row's entry (from the window only).
    void RemoveCurrent();
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
};

}  // namespace vostrel::shell
