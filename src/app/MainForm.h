#pragma once

#include <QCoreApplication>
#include <QSize>

#include "app/QtComboBox.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QScrollArea;
class QWidget;

namespace corvane {

class CFolderTreeCtrl;
class CoverBox;
class FolderPathBox;
class HorizontalSplitterBar;
class IconButton;
class ResizableDialog;
class SortListCtrl;
class StatusListCtrl;
class VerticalSplitterBar;
struct SettingsValues;

// The main window's controls and their layout, apart from the code that
// drives them: the option groups at the top, the folder tree beside the two
// album lists, and the status list at the bottom.
class MainForm {
    Q_DECLARE_TR_FUNCTIONS(MainForm)

public:
    static constexpr int kMinPaneSize = 150;
    static constexpr int kActionRename = 0;
    static constexpr int kActionTag = 1;
    static constexpr int kActionUndo = 2;

    // Builds every control on a page that fills window, placed for its first
    // size; a window smaller than the page scrolls it.
    explicit MainForm(ResizableDialog* window);

    // The splitter bars and the anchors; without the status list the panes
    // above take its room. The page then follows the window's size down to
    // its smallest.
    void SetUpLayout(bool showStatusList);
    // The panes follow the splitter bars that were moved.
    void ReAnchorPanes();
    void SetUpListHeaders();
    // The action and case entries; the action is "Rename Files".
    void FillActionAndCaseCombos();
    void FillGenreCombo();
    // The page's smallest size: the option groups fit. A window that the
    // screen holds only smaller shows the rest of the page by scrolling.
    QSize MinimumPageSize() const;
    // The window as the settings left it: its size (within the screen, a
    // page that does not fit scrolls), maximised or not, the check boxes.
    void RestoreFrom(const SettingsValues& values);
    // What the window keeps at its close: the folder, the check boxes, the
    // size (a maximised window keeps the size it had before) and the case mode.
    void StoreInto(SettingsValues& values) const;
    // The execute button's caption for an action.
    static QString ExecuteCaption(int action);
    static inline const QString kSeveralFilesTagCaption = QStringLiteral("&ID3 Tag Files");

    ResizableDialog* window = nullptr;
    // The page that holds every control, inside a scroll area that fills the window.
    ResizableDialog* page = nullptr;
    QScrollArea* scrollArea = nullptr;
    QWidget* optionsPanel = nullptr;
    QComboBox* actionCombo = nullptr;
    QComboBox* formatCombo = nullptr;
    QComboBox* caseCombo = nullptr;
    IconButton* executeButton = nullptr;
    IconButton* queryButton = nullptr;
    QLineEdit* artistEdit = nullptr;
    QLineEdit* albumEdit = nullptr;
    QLineEdit* yearEdit = nullptr;
    QComboBox* genreCombo = nullptr;
    QLineEdit* commentEdit = nullptr;
    QLineEdit* titleEdit = nullptr;
    QLineEdit* trackEdit = nullptr;  // "3" or "3/12"
    QLineEdit* albumArtistEdit = nullptr;
    QLineEdit* discEdit = nullptr;  // "1" or "1/2"
    CoverBox* coverBox = nullptr;
    QCheckBox* createDirectory = nullptr;
    QCheckBox* createPlaylist = nullptr;
    QComboBox* serverCombo = nullptr;
    IconButton* settingsButton = nullptr;
    IconButton* aboutButton = nullptr;
    IconButton* libraryButton = nullptr;
    FolderPathBox* pathBox = nullptr;
    CFolderTreeCtrl* tree = nullptr;
    SortListCtrl* fileList = nullptr;
    SortListCtrl* databaseList = nullptr;
    StatusListCtrl* statusList = nullptr;
    VerticalSplitterBar* verticalBar = nullptr;
    HorizontalSplitterBar* horizontalBar = nullptr;

    // The core's combo interface on the boxes above.
    QtComboBox formatBox{nullptr};
    QtComboBox caseBox{nullptr};
    QtComboBox serverBox{nullptr};
    QtComboBox genreBox{nullptr};

private:
    QWidget* BuildOptionsPanel();
    QWidget* BuildStandardOptions(QWidget* panel);
    QWidget* BuildTagInfo(QWidget* panel);
    QWidget* BuildExtendedOptions(QWidget* panel);
    void PlacePanes(int width);

    QSize designSize_;
    QWidget* verticalPlaceholder_ = nullptr;
    QWidget* horizontalPlaceholder_ = nullptr;
};

}  // namespace corvane
