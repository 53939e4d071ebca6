#include "SettingsDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QScrollArea>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "acoustid/AcoustIdClient.h"
#include "album/TrackListColumns.h"
#include "components/SettingsValues.h"
#include "musicbrainz/MusicBrainzClient.h"
#include "settings/SettingsIni.h"

namespace corvane {

namespace {

// Accepts what the INI loader accepts; an unfinished "host:" is fine while
// typing but keeps OK disabled.
class ServerValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        // Empty means the default server.
        if (input.isEmpty() || IsCddbServerText(input.toStdString())) {
            return Acceptable;
        }
        const bool typing = input.endsWith(':');
        return typing && !input.contains(' ') ? Intermediate : Invalid;
    }
};

// An http:// or https:// base URL; the scheme may still be being typed.
class UrlValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        // Empty means the default server.
        if (input.isEmpty() || IsMusicBrainzServerText(input.toStdString())) {
            return Acceptable;
        }
        const bool typing = QStringLiteral("https://").startsWith(input) ||
                            QStringLiteral("http://").startsWith(input);
        return typing ? Intermediate : Invalid;
    }
};

QCheckBox* NewCheckBox(const QString& text, const char* name, QWidget* parent) {
    auto* box = new QCheckBox(text, parent);
    box->setObjectName(QString::fromLatin1(name));
    return box;
}

QLineEdit* NewLineEdit(const char* name, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    return edit;
}

// A column's check box, named "fileColumn3" or "databaseColumn0".
QGroupBox* ColumnGroup(const QString& title, const char* prefix, const ListColumn* columns,
                       QCheckBox** boxes, int count, QWidget* parent) {
    auto* group = new QGroupBox(title, parent);
    auto* grid = new QGridLayout(group);
    const int rows = (count + 1) / 2;
    for (int i = 0; i < count; ++i) {
        boxes[i] = new QCheckBox(QString::fromUtf8(columns[i].header), group);
        boxes[i]->setObjectName(QString::fromLatin1(prefix) + QString::number(i));
        grid->addWidget(boxes[i], i % rows, i / rows);
    }
    return group;
}

}  // namespace

SettingsDialog::SettingsDialog(const SettingsValues& values, QWidget* parent)
    : QDialog(parent), values_(values) {
    setWindowTitle(tr("Settings"));
    setObjectName(QStringLiteral("SettingsDialog"));

    auto* tabs = new QTabWidget(this);
    tabs->addTab(BuildGeneralPage(), tr("&General"));
    tabs->addTab(BuildColumnsPage(), tr("&Columns"));
    tabs->addTab(BuildNetworkPage(), tr("&Network"));

    buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);

    // On a small screen (or a large scale factor) the pages scroll and OK and Cancel stay in
    // sight.
    auto* scroll = new QScrollArea(this);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setWidget(tabs);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(scroll, 1);
    layout->addWidget(buttons_);
    const QMargins margins = layout->contentsMargins();
    preferredSize_ = tabs->sizeHint() + QSize(margins.left() + margins.right(),
                                              margins.top() + margins.bottom() + layout->spacing() +
                                                  buttons_->sizeHint().height());

    ShowValues();
    connect(moveDependencies_, &QCheckBox::toggled, this, &SettingsDialog::UpdateState);
    connect(askMusicBrainz_, &QCheckBox::toggled, this, &SettingsDialog::UpdateState);
    for (QLineEdit* edit : {cddbEmail_, cddbServer_, searchHost_, musicbrainzServer_, proxyHost_}) {
        connect(edit, &QLineEdit::textChanged, this, &SettingsDialog::UpdateState);
    }
    UpdateState();
}

void SettingsDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    const QScreen* screen =
        this->screen() != nullptr ? this->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    // The frame is known once shown; the dialog with its frame goes inside the screen.
    const QRect available = screen->availableGeometry();
    const QSize frame = frameGeometry().size() - size();
    resize(preferredSize_.boundedTo(available.size() - frame));
    move(std::max(available.left(), available.center().x() - frameGeometry().width() / 2),
         std::max(available.top(), available.center().y() - frameGeometry().height() / 2));
}

QWidget* SettingsDialog::BuildGeneralPage() {
    auto* page = new QWidget(this);

    auto* start = new QGroupBox(tr("Start and display"), page);
    showSplash_ = NewCheckBox(tr("Show the &splash screen at start"), "showSplash", start);
    autoQuery_ = NewCheckBox(tr("&Query the CDDB server as soon as a folder is selected"),
                             "autoQuery", start);
    showStatusList_ = NewCheckBox(tr("Show the status &list"), "showStatusList", start);
    auto* startLayout = new QVBoxLayout(start);
    for (QWidget* w : {showSplash_, autoQuery_, showStatusList_}) {
        startLayout->addWidget(w);
    }

    auto* processing = new QGroupBox(tr("Processing"), page);
    createPlaylist_ = NewCheckBox(tr("Create &Playlist (M3U)"), "createPlaylist", processing);
    createDirectory_ = NewCheckBox(tr("Create &Directory"), "createDirectory", processing);
    moveDependencies_ = NewCheckBox(tr("&Move the album's other files (pictures, texts) along"),
                                    "moveDependencies", processing);
    confirmDependencies_ =
        NewCheckBox(tr("&Ask which of those files to move"), "confirmDependencies", processing);
    auto* processingLayout = new QVBoxLayout(processing);
    processingLayout->addWidget(new QLabel(tr("Check boxes ticked at start:"), processing));
    processingLayout->addWidget(createPlaylist_);
    processingLayout->addWidget(createDirectory_);
    processingLayout->addWidget(moveDependencies_);
    auto* indented = new QHBoxLayout;
    indented->addSpacing(20);
    indented->addWidget(confirmDependencies_);
    processingLayout->addLayout(indented);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(start);
    layout->addWidget(processing);
    layout->addStretch();
    return page;
}

QWidget* SettingsDialog::BuildColumnsPage() {
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(ColumnGroup(tr("File list"), "fileColumn", kFileListColumns.data() + 1,
                                  fileColumns_.data(), 10, page));
    layout->addWidget(ColumnGroup(tr("Database list"), "databaseColumn",
                                  kDatabaseListColumns.data() + 1, databaseColumns_.data(), 6,
                                  page));
    layout->addWidget(
        new QLabel(tr("The file name columns and \"File Type\" are always shown."), page));
    layout->addStretch();
    return page;
}

QWidget* SettingsDialog::BuildNetworkPage() {
    auto* page = new QWidget(this);

    auto* cddb = new QGroupBox(tr("CDDB server"), page);
    cddbServer_ = NewLineEdit("cddbServer", cddb);
    cddbServer_->setPlaceholderText(QString::fromLatin1(kDefaultCddbHost) + ":80");
    cddbServer_->setValidator(new ServerValidator(cddbServer_));
    cddbServer_->setToolTip(tr("Host name, optionally followed by \":port\""));
    cddbEmail_ = NewLineEdit("cddbEmail", cddb);
    cddbEmail_->setPlaceholderText(tr("name@example.org"));
    cddbEmail_->setToolTip(tr("Sent with every request; the CDDB service asks for it"));
    cddbEmail_->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral(R"((|[^@\s"]+@[^@\s"]+))")), cddbEmail_));
    cddbProtocolLevel_ = new QComboBox(cddb);
    cddbProtocolLevel_->setObjectName(QStringLiteral("cddbProtocolLevel"));
    cddbProtocolLevel_->addItem(tr("5 (ISO-8859-1 texts)"), 5);
    cddbProtocolLevel_->addItem(tr("6 (UTF-8 texts)"), 6);
    searchHost_ = NewLineEdit("searchHost", cddb);
    searchHost_->setPlaceholderText(tr("none: the server's search command"));
    searchHost_->setValidator(new ServerValidator(searchHost_));
    searchHost_->setToolTip(
        tr("An older mirror's web site whose search page the keyword search reads instead"));
    auto* cddbForm = new QFormLayout(cddb);
    cddbForm->addRow(tr("Default &server:"), cddbServer_);
    cddbForm->addRow(tr("&E-mail address:"), cddbEmail_);
    cddbForm->addRow(tr("Protocol &level:"), cddbProtocolLevel_);
    cddbForm->addRow(tr("Search &page host:"), searchHost_);

    auto* musicbrainz = new QGroupBox(tr("MusicBrainz"), page);
    askMusicBrainz_ =
        NewCheckBox(tr("Ask &MusicBrainz when CDDB finds nothing"), "askMusicBrainz", musicbrainz);
    musicbrainzServer_ = NewLineEdit("musicbrainzServer", musicbrainz);
    musicbrainzServer_->setPlaceholderText(QString::fromLatin1(kDefaultMusicBrainzServer));
    musicbrainzServer_->setValidator(new UrlValidator(musicbrainzServer_));
    musicbrainzServer_->setToolTip(tr("The web service or a mirror, as http:// or https:// URL"));
    auto* musicbrainzForm = new QFormLayout(musicbrainz);
    musicbrainzForm->addRow(askMusicBrainz_);
    musicbrainzForm->addRow(tr("Se&rver:"), musicbrainzServer_);

    // Identification by sound: without a key the step is skipped.
    auto* acoustid = new QGroupBox(tr("AcoustID"), page);
    acoustidKey_ = NewLineEdit("acoustidKey", acoustid);
    acoustidKey_->setPlaceholderText(tr("none: the files are not identified by sound"));
    acoustidKey_->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral(R"([A-Za-z0-9._\-]{0,64})")), acoustidKey_));
    auto* keyPage = new QLabel(tr("A free key is registered at <a href=\"%1\">%1</a>")
                                   .arg(QLatin1String(kAcoustIdKeyPage)),
                               acoustid);
    keyPage->setObjectName(QStringLiteral("acoustidKeyPage"));
    keyPage->setOpenExternalLinks(true);
    auto* acoustidForm = new QFormLayout(acoustid);
    acoustidForm->addRow(tr("AcoustID application &key:"), acoustidKey_);
    acoustidForm->addRow(keyPage);

    auto* proxy = new QGroupBox(tr("HTTP proxy"), page);
    proxyHost_ = NewLineEdit("proxyHost", proxy);
    proxyHost_->setPlaceholderText(tr("none: connect directly"));
    proxyHost_->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral(R"([A-Za-z0-9._\-\[\]:]*)")), proxyHost_));
    proxyPort_ = new QSpinBox(proxy);
    proxyPort_->setObjectName(QStringLiteral("proxyPort"));
    proxyPort_->setRange(1, 65535);
    auto* proxyForm = new QFormLayout(proxy);
    proxyForm->addRow(tr("&Host:"), proxyHost_);
    proxyForm->addRow(tr("&Port:"), proxyPort_);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(cddb);
    layout->addWidget(musicbrainz);
    layout->addWidget(acoustid);
    layout->addWidget(proxy);
    layout->addStretch();

    setTabOrder(cddbServer_, cddbEmail_);
    setTabOrder(cddbEmail_, cddbProtocolLevel_);
    setTabOrder(cddbProtocolLevel_, searchHost_);
    setTabOrder(searchHost_, askMusicBrainz_);
    setTabOrder(askMusicBrainz_, musicbrainzServer_);
    setTabOrder(musicbrainzServer_, acoustidKey_);
    setTabOrder(acoustidKey_, proxyHost_);
    setTabOrder(proxyHost_, proxyPort_);
    return page;
}

void SettingsDialog::ShowValues() {
    showSplash_->setChecked(values_.showSplash);
    autoQuery_->setChecked(values_.autoQuery);
    showStatusList_->setChecked(values_.showStatusList);
    createPlaylist_->setChecked(values_.createPlaylist);
    createDirectory_->setChecked(values_.createDirectory);
    moveDependencies_->setChecked(values_.moveDependencies);
    confirmDependencies_->setChecked(values_.confirmDependencies);
    for (std::size_t i = 0; i < fileColumns_.size(); ++i) {
        fileColumns_[i]->setChecked(values_.fileColumns[i]);
    }
    for (std::size_t i = 0; i < databaseColumns_.size(); ++i) {
        databaseColumns_[i]->setChecked(values_.databaseColumns[i]);
    }
    cddbServer_->setText(QString::fromStdString(values_.cddbServer));
    cddbEmail_->setText(QString::fromStdString(values_.cddbEmail));
    cddbProtocolLevel_->setCurrentIndex(values_.cddbProtocolLevel >= 6 ? 1 : 0);
    searchHost_->setText(QString::fromStdString(values_.searchHost));
    askMusicBrainz_->setChecked(values_.askMusicBrainz);
    musicbrainzServer_->setText(QString::fromStdString(values_.musicbrainzServer));
    acoustidKey_->setText(QString::fromStdString(values_.acoustidKey));
    proxyHost_->setText(QString::fromStdString(values_.proxyHost));
    proxyPort_->setValue(values_.proxyPort);
}

void SettingsDialog::UpdateState() {
    confirmDependencies_->setEnabled(moveDependencies_->isChecked());
    proxyPort_->setEnabled(!proxyHost_->text().isEmpty());
    musicbrainzServer_->setEnabled(askMusicBrainz_->isChecked());
    const bool acceptable = cddbServer_->hasAcceptableInput() && cddbEmail_->hasAcceptableInput() &&
                            searchHost_->hasAcceptableInput() &&
                            musicbrainzServer_->hasAcceptableInput() &&
                            proxyHost_->hasAcceptableInput();
    buttons_->button(QDialogButtonBox::Ok)->setEnabled(acceptable);
}

SettingsValues SettingsDialog::Values() const {
    SettingsValues v = values_;
    v.showSplash = showSplash_->isChecked();
    v.autoQuery = autoQuery_->isChecked();
    v.showStatusList = showStatusList_->isChecked();
    v.createPlaylist = createPlaylist_->isChecked();
    v.createDirectory = createDirectory_->isChecked();
    v.moveDependencies = moveDependencies_->isChecked();
    v.confirmDependencies = confirmDependencies_->isChecked();
    for (std::size_t i = 0; i < fileColumns_.size(); ++i) {
        v.fileColumns[i] = fileColumns_[i]->isChecked();
    }
    for (std::size_t i = 0; i < databaseColumns_.size(); ++i) {
        v.databaseColumns[i] = databaseColumns_[i]->isChecked();
    }
    v.cddbServer = cddbServer_->text().trimmed().toStdString();
    if (v.cddbServer.empty()) {
        v.cddbServer = SettingsValues{}.cddbServer;
    }
    v.cddbEmail = cddbEmail_->text().trimmed().toStdString();
    v.cddbProtocolLevel = cddbProtocolLevel_->currentData().toInt();
    v.searchHost = searchHost_->text().trimmed().toStdString();
    v.askMusicBrainz = askMusicBrainz_->isChecked();
    v.musicbrainzServer = musicbrainzServer_->text().trimmed().toStdString();
    if (v.musicbrainzServer.empty()) {
        v.musicbrainzServer = kDefaultMusicBrainzServer;
    }
    v.acoustidKey = acoustidKey_->text().trimmed().toStdString();
    v.proxyHost = proxyHost_->text().trimmed().toStdString();
    v.proxyPort = proxyPort_->value();
    return v;
}

}  // namespace corvane
