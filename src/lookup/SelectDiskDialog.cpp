#include "lookup/SelectDiskDialog.h"

#include <QFontMetrics>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
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

std::string DiscMatchLine(const DiscMatch& match) {
    char id[16];
    std::snprintf(id, sizeof id, "%08x", static_cast<unsigned>(match.discId));
    return match.artist + " / " + match.title + " - [" + id + "]";
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
      ok_(new QPushButton(tr("&Ok"), this)) {
    setWindowTitle(tr("Select Disk"));
    setWindowIcon(ArtworkIcon(artwork::kAppIcon));
    resize(440, 260);
    list_->setSortingEnabled(true);
    list_->setGeometry(10, 10, 420, 170);
    chosen_->setReadOnly(true);
    chosen_->setAlignment(Qt::AlignCenter);
    chosen_->setGeometry(10, 188, 420, 26);
    ok_->setGeometry(170, 222, 100, 28);
    ok_->setDefault(true);
    ok_->setEnabled(false);

    AddAnchor(list_, TopLeft, BottomRight);
    AddAnchor(chosen_, BottomLeft, BottomRight);
    AddAnchor(ok_, BottomCenter, NoAnchor);
    ShowSizeGrip(true);

    connect(list_, &QListWidget::itemSelectionChanged, this, &SelectDiskDialog::OnSelectionChanged);
    connect(list_, &QListWidget::itemDoubleClicked, this, &SelectDiskDialog::OnDoubleClicked);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
}

void SelectDiskDialog::SetMatches(const std::vector<DiscMatch>& matches) {
    for (std::size_t i = 0; i < matches.size(); ++i) {
        AddLine(DiscMatchLine(matches[i]), static_cast<qint64>(i));
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
