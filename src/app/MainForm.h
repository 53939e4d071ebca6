#pragma once

#include <QCoreApplication>

#include "app/QtComboBox.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QWidget;

namespace corvane {

class CFolderTreeCtrl;
class HorizontalSplitterBar;
class IconButton;
class ResizableDialog;
class SortListCtrl;
class StatusListCtrl;
class VerticalSplitterBar;

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

    // Builds every control as a child of window, placed for its first size.
    explicit MainForm(ResizableDialog* window);

    // The splitter bars and the anchors; without the status list the panes
    // above take its room.
    void SetUpLayout(bool showStatusList);
    // The panes follow the splitter bars that were moved.
    void ReAnchorPanes();
    void SetUpListHeaders();
    // The action and case entries; the action is "Rename Files".
    void FillActionAndCaseCombos();
    void FillGenreCombo();
    // The window's smallest size: the option groups fit.
    QSize MinimumWindowSize() const;
    // The execute button's caption for an action.
    static QString ExecuteCaption(int action);

    ResizableDialog* window = nullptr;
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
    QCheckBox* createDirectory = nullptr;
    QCheckBox* createPlaylist = nullptr;
    QComboBox* serverCombo = nullptr;
    IconButton* settingsButton = nullptr;
    IconButton* aboutButton = nullptr;
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

    QWidget* verticalPlaceholder_ = nullptr;
    QWidget* horizontalPlaceholder_ = nullptr;
};

}  // namespace corvane
