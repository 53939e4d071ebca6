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

QString ArtworkPathForId(int resourceId, bool isBitmap) {
    if (isBitmap) {
        switch (resourceId) {
            case 129:
                return StepPicturePath(2, true);
            case 130:
                return StepPicturePath(2, false);
            case 131:
                return StepPicturePath(0, true);
            case 132:
                return StepPicturePath(0, false);
            case 133:
                return StepPicturePath(1, true);
            case 134:
                return StepPicturePath(1, false);
            case 135:
                return StepPicturePath(3, true);
            case 136:
                return StepPicturePath(3, false);
            case 150:
                return QString::fromLatin1(artwork::kTrackCountNotEnough);
            case 151:
                return QString::fromLatin1(artwork::kTrackCountTooMany);
            case 170:
                return QString::fromLatin1(artwork::kAssociation);
            default:
                return {};
        }
    }
    switch (resourceId) {
        case 154:
            return QString::fromLatin1(artwork::kSearch);
        case 159:
            return QString::fromLatin1(artwork::kGroupOptions);
        case 160:
            return QString::fromLatin1(artwork::kGroupTags);
        case 161:
            return QString::fromLatin1(artwork::kGroupCddb);
        case 163:
            return QString::fromLatin1(artwork::kAbout);
        case 164:
            return QString::fromLatin1(artwork::kSettings);
        case 165:
            return QString::fromLatin1(artwork::kQuery);
        case 166:
            return QString::fromLatin1(artwork::kGroupExtended);
        case 167:
            return QString::fromLatin1(artwork::kGroupFolders);
        case 168:
            return QString::fromLatin1(artwork::kGroupFiles);
        case 169:
            return QString::fromLatin1(artwork::kExecute);
        default:
            return {};
    }
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
