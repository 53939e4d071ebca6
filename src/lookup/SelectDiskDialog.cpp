#include "lookup/SelectDiskDialog.h"

#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <algorithm>
#include <cstdio>

#include "widgets/Artwork.h"

namespace corvane {

namespace {
constexpr int kDataRole = Qt::UserRole + 1;

// A sorted list box orders its lines regardless of case, as users read them.
class CandidateItem : public QListWidgetItem {
public:
    using QListWidgetItem::QListWidgetItem;
    bool operator<(const QListWidgetItem& other) const override {
        const int folded = text().compare(other.text(), Qt::CaseInsensitive);
        return folded != 0 ? folded < 0 : text() < other.text();
    }
};
}  // namespace

namespace {

// The same disc filed in two categories gives two lines alike but for it.
std::string CandidateLine(const std::string& title, const std::string& category,
                          const std::string& idText, bool withCategory) {
    return title + (withCategory ? " (" + category + ")" : std::string()) + " - [" + idText + "]";
}

template <class Candidate, class Id>
bool SharesItsId(const std::vector<Candidate>& candidates, const Candidate& candidate, Id id) {
    return std::count_if(candidates.begin(), candidates.end(),
                         [&](const Candidate& other) { return id(other) == id(candidate); }) > 1;
}

}  // namespace

std::string DiscMatchLine(const DiscMatch& match, bool withCategory) {
    char id[16];
    std::snprintf(id, sizeof id, "%08x", static_cast<unsigned>(match.discId));
    return CandidateLine(match.artist + " / " + match.title, match.category, id, withCategory);
}

QString SelectDiskDialog::ShownText(const QString& line) {
    const qsizetype at = line.indexOf(QStringLiteral("- ["));
    QString shown = at < 0 ? line : line.left(at);
    while (shown.endsWith(QLatin1Char(' '))) {
        shown.chop(1);
    }
    return shown;
}

SelectDiskDialog::SelectDiskDialog(QWidget* parent)
    : ResizableDialog(parent),
      list_(new QListWidget(this)),
      chosen_(new QLineEdit(this)),
      ok_(new QPushButton(tr("&Ok"), this)),
      cancel_(new QPushButton(tr("&Cancel"), this)),
      instruction_(new QLabel(tr("Choose the album these files come from, then press OK."), this)) {
    setWindowTitle(tr("Select Disk"));
    setWindowIcon(ArtworkIcon(artwork::kAppIcon));
    const int labelHeight = std::max(fontMetrics().height(), 16) + 2;
    const int top = 10 + labelHeight + 6;
    resize(440, top + 250);
    instruction_->setGeometry(10, 10, 420, labelHeight);
    list_->setSortingEnabled(true);
    list_->setGeometry(10, top, 420, 170);
    // Long lines scroll sideways rather than being cut.
    list_->setTextElideMode(Qt::ElideNone);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    chosen_->setReadOnly(true);
    chosen_->setAlignment(Qt::AlignCenter);
    chosen_->setGeometry(10, top + 178, 420, 26);
    ok_->setGeometry(115, top + 212, 100, 28);
    ok_->setDefault(true);
    ok_->setEnabled(false);
    cancel_->setGeometry(225, top + 212, 100, 28);
    cancel_->setAutoDefault(false);

    AddAnchor(instruction_, TopLeft, TopRight);
    AddAnchor(list_, TopLeft, BottomRight);
    AddAnchor(chosen_, BottomLeft, BottomRight);
    AddAnchor(ok_, BottomCenter, NoAnchor);
    AddAnchor(cancel_, BottomCenter, NoAnchor);
    ShowSizeGrip(true);

    connect(list_, &QListWidget::itemSelectionChanged, this, &SelectDiskDialog::OnSelectionChanged);
    connect(list_, &QListWidget::itemDoubleClicked, this, &SelectDiskDialog::OnDoubleClicked);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
}

void SelectDiskDialog::showEvent(QShowEvent* event) {
    if (!IsSetupDone()) {
        // The size so far stays the minimum; the dialog opens as wide as its longest line
        // needs, within the screen, and scrolls sideways beyond that.
        FinishSetup();
        const int chrome = width() - list_->width() + 2 * list_->frameWidth() +
                           style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, list_);
        int wanted = std::max(widestLine_, list_->sizeHintForColumn(0)) + chrome;
        if (const QScreen* shown = screen(); shown != nullptr) {
            const int frame = frameGeometry().width() - width();
            wanted = std::min(wanted, shown->availableGeometry().width() - std::max(frame, 0));
        }
        if (wanted > width()) {
            resize(wanted, height());
        }
    }
    ResizableDialog::showEvent(event);
    // Arrow keys move through the lines at once.
    if (list_->currentRow() < 0 && list_->count() > 0) {
        list_->setCurrentRow(0);
    }
    list_->setFocus(Qt::OtherFocusReason);
}

void SelectDiskDialog::SetMatches(const std::vector<DiscMatch>& matches) {
    const auto id = [](const DiscMatch& match) { return match.discId; };
    for (std::size_t i = 0; i < matches.size(); ++i) {
        AddLine(DiscMatchLine(matches[i], SharesItsId(matches, matches[i], id)),
                static_cast<qint64>(i));
    }
}

void SelectDiskDialog::SetSearchResults(const std::vector<SearchResult>& results) {
    const auto id = [](const SearchResult& result) { return result.idText; };
    for (std::size_t i = 0; i < results.size(); ++i) {
        const SearchResult& result = results[i];
        AddLine(CandidateLine(result.title, result.category, result.idText,
                              SharesItsId(results, result, id)),
                static_cast<qint64>(i));
    }
}

void SelectDiskDialog::AddLine(const std::string& text, qint64 data) {
    auto* item = new CandidateItem(QString::fromUtf8(text.data(), qsizetype(text.size())));
    item->setData(kDataRole, data);
    list_->addItem(item);
    // Long lines scroll sideways rather than being cut.
    const int width = list_->fontMetrics().horizontalAdvance(item->text()) +
                      3 * style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
    if (width > widestLine_) {
        widestLine_ = width;
    }
}

void SelectDiskDialog::OnSelectionChanged() {
    const QList<QListWidgetItem*> selected = list_->selectedItems();
    if (selected.isEmpty()) {
        ok_->setEnabled(false);
        return;
    }
    ok_->setEnabled(true);
    selectedData_ = selected.front()->data(kDataRole).toLongLong();
    chosen_->setText(ShownText(selected.front()->text()));
}

void SelectDiskDialog::OnDoubleClicked(QListWidgetItem* item) {
    if (item == nullptr) {
        return;
    }
    selectedData_ = item->data(kDataRole).toLongLong();
    accept();
}

}  // namespace corvane
