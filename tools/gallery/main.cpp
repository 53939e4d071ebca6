// corvane-gallery OUTDIR: draws each widget and each picture of the program into PNG files.

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <thread>

#include "widgets/Artwork.h"
#include "widgets/FolderTreeCtrl.h"
#include "widgets/IconButton.h"
#include "widgets/ResizableDialog.h"
#include "widgets/SortListCtrl.h"
#include "widgets/SplitterBar.h"

namespace corvane {
namespace {

class Gallery {
public:
    explicit Gallery(QString dir) : dir_(std::move(dir)) {}

    bool Save(const QPixmap& pixmap, const QString& name) {
        const QString path = QDir(dir_).filePath(name + QStringLiteral(".png"));
        if (!pixmap.save(path)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            ok_ = false;
            return false;
        }
        ++written_;
        return true;
    }
    bool Save(QWidget* widget, const QString& name) { return Save(widget->grab(), name); }

    int Written() const { return written_; }
    bool Ok() const { return ok_; }

private:
    QString dir_;
    int written_ = 0;
    bool ok_ = true;
};

QPalette DarkPalette() {
    QPalette p;
    p.setColor(QPalette::Window, QColor(45, 45, 48));
    p.setColor(QPalette::WindowText, QColor(230, 230, 230));
    p.setColor(QPalette::Base, QColor(30, 30, 30));
    p.setColor(QPalette::Text, QColor(230, 230, 230));
    p.setColor(QPalette::Button, QColor(60, 60, 64));
    p.setColor(QPalette::ButtonText, QColor(230, 230, 230));
    p.setColor(QPalette::Light, QColor(95, 95, 100));
    p.setColor(QPalette::Dark, QColor(20, 20, 22));
    p.setColor(QPalette::Highlight, QColor(38, 110, 200));
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(120, 120, 120));
    p.setColor(QPalette::Disabled, QPalette::Text, QColor(120, 120, 120));
    return p;
}

// Every picture at its own size, and the small icons in a row on a light and a dark ground.
void RenderPictures(Gallery& gallery) {
    for (const QString& path : AllArtworkPaths()) {
        gallery.Save(ArtworkPixmap(path), QStringLiteral("picture-") + QFileInfo(path).baseName());
    }

    const std::vector<QString> small = {
        artwork::kQuery,         artwork::kExecute,      artwork::kSettings,
        artwork::kAbout,         artwork::kGroupOptions, artwork::kGroupTags,
        artwork::kGroupExtended, artwork::kGroupFolders, artwork::kGroupFiles,
        artwork::kGroupCddb,     artwork::kAppIcon};
    std::vector<QString> frames;
    for (int frame = 0; frame < artwork::kLoadingFrameCount; ++frame) {
        frames.push_back(LoadingFramePath(frame));
    }
    for (const auto& [name, ground] : {std::pair{QStringLiteral("light"), QColor(246, 246, 246)},
                                       std::pair{QStringLiteral("dark"), QColor(40, 40, 43)}}) {
        for (const auto& [rowName, row] : {std::pair{QStringLiteral("icons16"), small},
                                           std::pair{QStringLiteral("loading16"), frames}}) {
            QPixmap sheet(static_cast<int>(row.size()) * 24 + 8, 32);
            sheet.fill(ground);
            QPainter painter(&sheet);
            int x = 8;
            for (const QString& path : row) {
                painter.drawPixmap(x, 8, ArtworkPixmap(path, QSize(16, 16)));
                x += 24;
            }
            painter.end();
            gallery.Save(sheet, rowName + QStringLiteral("-") + name);
        }
    }
}

void RenderIconButtons(Gallery& gallery, const QString& suffix) {
    QWidget panel;
    panel.resize(470, 76);
    struct Spec {
        const char* caption;
        const char* icon;
    };
    const Spec specs[] = {{"&Query", artwork::kQuery},
                          {"&Execute", artwork::kExecute},
                          {"&Settings", artwork::kSettings}};
    int x = 8;
    std::vector<IconButton*> buttons;
    for (const Spec& spec : specs) {
        auto* button = new IconButton(QString::fromLatin1(spec.caption), &panel);
        button->SetIcon(QString::fromLatin1(spec.icon), 16, 16);
        button->SetIconPos(15, 4);
        button->SetTextPos(50, 5);
        button->setGeometry(x, 8, 110, 26);
        buttons.push_back(button);
        x += 118;
    }
    auto* about = new IconButton(&panel);
    about->SetIcon(QString::fromLatin1(artwork::kAbout), 16, 16);
    about->SetIconPos(-1, 4);
    about->setGeometry(x, 8, 40, 26);
    // Second row: automatic layout, pressed, disabled and focused looks.
    auto* automatic = new IconButton(QStringLiteral("&Rename Files"), &panel);
    automatic->SetIcon(QString::fromLatin1(artwork::kExecute), 16, 16);
    automatic->setGeometry(8, 42, 140, 26);
    auto* pressed = new IconButton(QStringLiteral("&Query"), &panel);
    pressed->SetIcon(QString::fromLatin1(artwork::kQuery), 16, 16);
    pressed->setGeometry(156, 42, 100, 26);
    pressed->setDown(true);
    auto* disabled = new IconButton(QStringLiteral("&Execute"), &panel);
    disabled->SetIcon(QString::fromLatin1(artwork::kExecute), 16, 16);
    disabled->setGeometry(264, 42, 100, 26);
    disabled->setEnabled(false);
    auto* broken = new IconButton(QStringLiteral("No icon"), &panel);
    broken->SetIcon(QStringLiteral(":/corvane/missing.svg"), 16, 16);
    broken->setGeometry(372, 42, 90, 26);
    panel.show();
    buttons[0]->setFocus();
    QApplication::processEvents();
    gallery.Save(&panel, QStringLiteral("widget-icon-buttons") + suffix);
}

void RenderLists(Gallery& gallery, const QString& suffix) {
    SortListCtrl list;
    list.resize(420, 170);
    list.setColumnCount(4);
    list.setHeaderLabels({QStringLiteral("Filename"), QStringLiteral("Time"),
                          QStringLiteral("Bitrate"), QStringLiteral("Title")});
    const char* rows[][4] = {{"01 - Intro.mp3", "00:01:32", "192", "Intro"},
                             {"02 - Nightfall.mp3", "00:04:05", "256", "Nightfall"},
                             {"03 - Glass Harbour.mp3", "00:03:47", "192", "Glass Harbour"},
                             {"04 - Coda.mp3", "00:02:10", "320", "Coda"}};
    for (const auto& row : rows) {
        list.InsertRow(-1, {row[0], row[1], row[2], row[3]},
                       ArtworkIcon(QString::fromLatin1(artwork::kGroupFiles)));
    }
    list.header()->resizeSection(0, 170);
    list.OnColumnClick(1);
    list.OnColumnClick(1);  // descending by time
    list.topLevelItem(1)->setSelected(true);
    list.show();
    QApplication::processEvents();
    gallery.Save(&list, QStringLiteral("widget-sort-list") + suffix);

    SortListCtrl empty;
    empty.resize(420, 140);
    empty.setColumnCount(3);
    empty.setHeaderLabels(
        {QStringLiteral("Filename"), QStringLiteral("Time"), QStringLiteral("Title")});
    empty.show();
    QApplication::processEvents();
    gallery.Save(&empty, QStringLiteral("widget-sort-list-empty") + suffix);
}

void RenderHeaderDrag(Gallery& gallery) {
    QWidget window;
    window.resize(420, 120);
    auto* list = new SortListCtrl(&window);
    list->setGeometry(10, 10, 400, 100);
    list->setColumnCount(3);
    list->setHeaderLabels(
        {QStringLiteral("Artist"), QStringLiteral("Album"), QStringLiteral("Year")});
    for (int i = 0; i < 3; ++i) {
        list->header()->resizeSection(i, 120);
    }
    list->FlatHeader()->SetDragColumns(true);
    window.show();
    QApplication::processEvents();
    QWidget* port = list->FlatHeader()->viewport();
    const int y = list->FlatHeader()->height() / 2;
    QTest::mousePress(port, Qt::LeftButton, {}, QPoint(60, y));
    QTest::mouseMove(port, QPoint(80, y));
    QTest::mouseMove(port, QPoint(300, y + 2));
    QApplication::processEvents();
    gallery.Save(&window, QStringLiteral("widget-flat-header-drag"));
    QTest::mouseRelease(port, Qt::LeftButton, {}, QPoint(300, y + 2));
}

void MakeFolders(const std::string& root) {
    namespace fs = std::filesystem;
    for (const char* sub : {"Music/Album One/Scans", "Music/Album Two", "Music/Compilations",
                            "Music/Live 2019", "Pictures", "Documents/Letters", "Empty"}) {
        fs::create_directories(fs::path(root) / sub);
    }
}

// A folder tree whose listing is slow, to catch the loading animation on the screen.
class SlowTree : public CFolderTreeCtrl {
public:
    std::function<void()> midLoad;

protected:
    bool ListFolder(const std::string& folder, std::vector<FolderEntry>* entries) override {
        SetProgress(0, 0);
        for (int i = 1; i <= 6; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(60));
            AddProgress(1);
        }
        return CFolderTreeCtrl::ListFolder(folder, entries);
    }
    void OnLoadingTick(bool timerFired, int total, int done) override {
        CFolderTreeCtrl::OnLoadingTick(timerFired, total, done);
        if (timerFired && Frame() == 3 && midLoad) {
            midLoad();
            midLoad = nullptr;
        }
    }
};

void RenderTrees(Gallery& gallery, const QString& suffix) {
    QTemporaryDir temp;
    const std::string root = QFile::encodeName(temp.path()).toStdString();
    MakeFolders(root);
    CFolderTreeCtrl tree;
    tree.SetMountTable(MountTable());
    tree.resize(260, 240);
    tree.SetRoot(root, false);
    tree.show();
    tree.SelectPath(root + "/Music/Album One");
    QApplication::processEvents();
    gallery.Save(&tree, QStringLiteral("widget-folder-tree") + suffix);

    SlowTree slow;
    slow.SetMountTable(MountTable());
    slow.resize(260, 240);
    slow.SetRoot(root, false);
    slow.show();
    QApplication::processEvents();
    slow.midLoad = [&] {
        QApplication::processEvents();
        gallery.Save(&slow, QStringLiteral("widget-folder-tree-loading") + suffix);
    };
    slow.FindChild(nullptr, root + "/Music")->setExpanded(true);
}

void RenderDialog(Gallery& gallery) {
    ResizableDialog dialog;
    dialog.setWindowTitle(QStringLiteral("Corvane MP3 v2.00"));
    dialog.resize(520, 340);
    auto* group = new QGroupBox(QStringLiteral("Standard Options"), &dialog);
    group->setGeometry(8, 8, 504, 60);
    auto* groupIcon = new QLabel(&dialog);
    groupIcon->setPixmap(ArtworkPixmap(QString::fromLatin1(artwork::kGroupOptions), QSize(16, 16)));
    groupIcon->setGeometry(490, 12, 16, 16);
    auto* check = new QCheckBox(QStringLiteral("Create Directory"), group);
    check->setGeometry(10, 24, 160, 24);
    auto* query = new IconButton(QStringLiteral("&Query"), &dialog);
    query->SetIcon(QString::fromLatin1(artwork::kQuery), 16, 16);
    query->setGeometry(396, 32, 108, 26);
    auto* tree = new CFolderTreeCtrl(&dialog);
    tree->SetMountTable(MountTable());
    QTemporaryDir temp;
    const std::string root = QFile::encodeName(temp.path()).toStdString();
    MakeFolders(root);
    tree->SetRoot(root, false);
    tree->setGeometry(8, 76, 160, 220);
    auto* placeholderV = new QWidget(&dialog);
    placeholderV->setGeometry(169, 76, 4, 220);
    auto* files = new SortListCtrl(&dialog);
    files->setColumnCount(2);
    files->setHeaderLabels({QStringLiteral("Filename"), QStringLiteral("Time")});
    files->InsertRow(-1, {QStringLiteral("01 - Intro.mp3"), QStringLiteral("00:01:32")});
    files->setGeometry(174, 76, 338, 108);
    auto* placeholderH = new QWidget(&dialog);
    placeholderH->setGeometry(174, 185, 338, 4);
    auto* tracks = new SortListCtrl(&dialog);
    tracks->setColumnCount(2);
    tracks->setHeaderLabels({QStringLiteral("New Filename"), QStringLiteral("Time")});
    tracks->setGeometry(174, 190, 338, 106);
    auto* status = new QListWidget(&dialog);
    status->addItem(QStringLiteral("Ready."));
    status->setGeometry(8, 302, 504, 30);

    VerticalSplitterBar vbar;
    vbar.Bind(placeholderV, 1050);
    vbar.SetMinSizes(150, 150);
    vbar.AttachFirstPane(tree);
    vbar.AttachSecondPane(files);
    vbar.AttachSecondPane(tracks);
    HorizontalSplitterBar hbar;
    hbar.Bind(placeholderH, 1051);
    hbar.SetMinSizes(50, 50);
    hbar.AttachFirstPane(files);
    hbar.AttachSecondPane(tracks);
    vbar.AttachSecondPane(&hbar);
    vbar.RecalcLayout();
    hbar.RecalcLayout();

    dialog.AddAnchor(group, TopLeft, TopRight);
    dialog.AddAnchor(groupIcon, TopRight);
    dialog.AddAnchor(query, TopRight);
    dialog.AddAnchor(status, BottomLeft, BottomRight);
    dialog.AddAnchor(tree, TopLeft, BottomLeft);
    dialog.AddAnchor(files, TopLeft, MiddleRight);
    dialog.AddAnchor(tracks, MiddleLeft, BottomRight);
    dialog.AddAnchor(&vbar, TopLeft, BottomLeft);
    dialog.AddAnchor(&hbar, MiddleLeft, MiddleRight);
    dialog.show();
    QApplication::processEvents();
    gallery.Save(&dialog, QStringLiteral("widget-resizable-dialog"));
    dialog.resize(640, 420);
    QApplication::processEvents();
    gallery.Save(&dialog, QStringLiteral("widget-resizable-dialog-grown"));

    // Mid-drag: the bar's area shows inverted where it would land.
    QTest::mousePress(&vbar, Qt::LeftButton, {}, QPoint(2, 100));
    QTest::mouseMove(&vbar, QPoint(62, 100));
    QApplication::processEvents();
    gallery.Save(&dialog, QStringLiteral("widget-splitter-dragging"));
    QTest::mouseRelease(&vbar, Qt::LeftButton, {}, QPoint(62, 100));
    QApplication::processEvents();
    gallery.Save(&dialog, QStringLiteral("widget-splitter-moved"));
}

}  // namespace
}  // namespace corvane

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: corvane-gallery OUTDIR\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    const QString out = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(out)) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }
    corvane::Gallery gallery(out);
    corvane::RenderPictures(gallery);
    corvane::RenderIconButtons(gallery, QString());
    corvane::RenderLists(gallery, QString());
    corvane::RenderHeaderDrag(gallery);
    corvane::RenderTrees(gallery, QString());
    corvane::RenderDialog(gallery);
    // The same widgets on a dark palette.
    QApplication::setPalette(corvane::DarkPalette());
    corvane::RenderIconButtons(gallery, QStringLiteral("-dark"));
    corvane::RenderLists(gallery, QStringLiteral("-dark"));
    corvane::RenderTrees(gallery, QStringLiteral("-dark"));
    std::printf("%d PNG files in %s\n", gallery.Written(), argv[1]);
    return gallery.Ok() ? 0 : 1;
}
