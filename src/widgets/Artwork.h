#pragma once

#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <QString>
#include <vector>

namespace corvane {

// The program's own pictures, kept as SVG in the Qt resources under ":/corvane".
namespace artwork {
inline constexpr const char* kAppIcon = ":/corvane/icons/app.svg";
inline constexpr const char* kQuery = ":/corvane/icons/query.svg";
inline constexpr const char* kExecute = ":/corvane/icons/execute.svg";
inline constexpr const char* kSettings = ":/corvane/icons/settings.svg";
inline constexpr const char* kAbout = ":/corvane/icons/about.svg";
inline constexpr const char* kSearch = ":/corvane/icons/search.svg";
inline constexpr const char* kGroupOptions = ":/corvane/icons/group-options.svg";
inline constexpr const char* kGroupTags = ":/corvane/icons/group-tags.svg";
inline constexpr const char* kGroupExtended = ":/corvane/icons/group-extended.svg";
inline constexpr const char* kGroupFolders = ":/corvane/icons/group-folders.svg";
inline constexpr const char* kGroupFiles = ":/corvane/icons/group-files.svg";
inline constexpr const char* kGroupCddb = ":/corvane/icons/group-cddb.svg";
inline constexpr const char* kTrackCountNotEnough = ":/corvane/pictures/trackcount-not-enough.svg";
inline constexpr const char* kTrackCountTooMany = ":/corvane/pictures/trackcount-too-many.svg";
inline constexpr const char* kAssociation = ":/corvane/pictures/association.svg";
inline constexpr const char* kSplash = ":/corvane/pictures/splash.svg";
// 88 x 20: four 22 x 20 cells; the first is empty, then Delete, Move Up, Move Down.
inline constexpr const char* kMoveBarGlyphs = ":/corvane/pictures/movebar-glyphs.svg";
inline constexpr int kLoadingFrameCount = 10;
inline constexpr int kStepCount = 4;
}  // namespace artwork

// Registers the picture resources; the library is static, so the executable must ask for
// them once. Every function below calls it, so callers rarely need to.
void InitArtwork();

// Path of a processing step's picture: step 0 create directory, 1 move/tag/rename,
// 2 playlist, 3 dependencies; `begun` picks the picture shown once the step has started.
QString StepPicturePath(int step, bool begun);
// The picture of a step that has failed.
QString StepFailedPicturePath(int step);

// Path of frame 0..9 of the folder tree's loading animation.
QString LoadingFramePath(int frame);

// Every picture the program has, by resource path.
std::vector<QString> AllArtworkPaths();

// An icon made from a resource path; null when the path names no picture.
QIcon ArtworkIcon(const QString& path);

// The picture rendered at `size` (its own size when `size` is empty) for a device pixel
// ratio; null when the path names no picture.
QPixmap ArtworkPixmap(const QString& path, QSize size = {}, qreal devicePixelRatio = 1.0);

// The picture's own size, or an empty size when the path names no picture.
QSize ArtworkSize(const QString& path);

}  // namespace corvane
