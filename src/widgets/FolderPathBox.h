#pragma once

#include <QComboBox>
#include <string>
#include <vector>

namespace corvane {

// The path box above the folder tree: a folder typed or pasted (with the
// folders of the disk offered as it is typed), or one of the recent folders
// from its list, is opened with Enter or a pick from the list.
class FolderPathBox : public QComboBox {
    Q_OBJECT

public:
    explicit FolderPathBox(QWidget* parent = nullptr);

    // The folder now shown in the window; no folderChosen for it.
    void ShowPath(const std::string& path);
    // The recent folders, newest first, as the list's entries.
    void SetRecentFolders(const std::vector<std::string>& folders);

signals:
    // A folder the user asked for, with "~" made the home folder.
    void folderChosen(const std::string& path);

private:
    void Choose(const QString& text);
};

// The recent list after opening folder: it goes first, once, and the list
// keeps at most limit entries.
std::vector<std::string> WithRecentFolder(std::vector<std::string> recent,
                                          const std::string& folder, std::size_t limit);

}  // namespace corvane
