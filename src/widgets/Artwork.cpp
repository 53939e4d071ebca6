#include "widgets/Artwork.h"

#include <QFile>
#include <QPainter>
#include <QSvgRenderer>
#include <mutex>

// Q_INIT_RESOURCE must be used outside any namespace.
static void RegisterCorvaneResources() {
    Q_INIT_RESOURCE(corvane);
}

namespace corvane {

void InitArtwork() {
    static std::once_flag once;
    std::call_once(once, RegisterCorvaneResources);
}

namespace {

QString StepPicture(int step, const char* state) {
    static constexpr const char* kNames[artwork::kStepCount] = {"directory", "rename", "playlist",
                                                                "dependencies"};
    if (step < 0 || step >= artwork::kStepCount) {
        return {};
    }
    return QStringLiteral(":/corvane/pictures/step-%1-%2.svg")
        .arg(QLatin1String(kNames[step]), QLatin1String(state));
}

}  // namespace

QString StepPicturePath(int step, bool begun) {
    return StepPicture(step, begun ? "begun" : "before");
}

QString StepFailedPicturePath(int step) {
    return StepPicture(step, "failed");
}

QString LoadingFramePath(int frame) {
    if (frame < 0 || frame >= artwork::kLoadingFrameCount) {
        return {};
    }
    return QStringLiteral(":/corvane/loading/frame%1.svg").arg(frame);
}

std::vector<QString> AllArtworkPaths() {
    std::vector<QString> paths = {artwork::kAppIcon,
                                  artwork::kQuery,
                                  artwork::kExecute,
                                  artwork::kSettings,
                                  artwork::kAbout,
                                  artwork::kSearch,
                                  artwork::kGroupOptions,
                                  artwork::kGroupTags,
                                  artwork::kGroupExtended,
                                  artwork::kGroupFolders,
                                  artwork::kGroupFiles,
                                  artwork::kGroupCddb,
                                  artwork::kTrackCountNotEnough,
                                  artwork::kTrackCountTooMany,
                                  artwork::kAssociation,
                                  artwork::kSplash,
                                  artwork::kMoveBarGlyphs};
    for (int step = 0; step < artwork::kStepCount; ++step) {
        paths.push_back(StepPicturePath(step, false));
        paths.push_back(StepPicturePath(step, true));
        paths.push_back(StepFailedPicturePath(step));
    }
    for (int frame = 0; frame < artwork::kLoadingFrameCount; ++frame) {
        paths.push_back(LoadingFramePath(frame));
    }
    return paths;
}

QIcon ArtworkIcon(const QString& path) {
    InitArtwork();
    // QIcon accepts any file name and only fails when drawn; check up front instead.
    if (path.isEmpty() || !QFile::exists(path)) {
        return {};
    }
    return QIcon(path);
}

QPixmap ArtworkPixmap(const QString& path, QSize size, qreal devicePixelRatio) {
    InitArtwork();
    if (path.isEmpty()) {
        return {};
    }
    QSvgRenderer renderer(path);
    if (!renderer.isValid()) {
        return {};
    }
    if (size.isEmpty()) {
        size = renderer.defaultSize();
    }
    QPixmap pixmap(size * devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    renderer.render(&painter);
    painter.end();
    pixmap.setDevicePixelRatio(devicePixelRatio);
    return pixmap;
}

QSize ArtworkSize(const QString& path) {
    InitArtwork();
    if (path.isEmpty()) {
        return {};
    }
    QSvgRenderer renderer(path);
    return renderer.isValid() ? renderer.defaultSize() : QSize();
}

}  // namespace corvane
