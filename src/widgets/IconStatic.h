#pragma once

#include <QSize>
#include <QString>

class QLabel;

namespace corvane {

// Shows one of the program's pictures in a label, drawn for the label's screen so it stays
// sharp on high-density displays. An empty size means the picture's own size. False (and
// the label left as it was) when the picture cannot be loaded.
bool SetStaticPicture(QLabel* label, const QString& path, QSize size = {});

}  // namespace corvane
