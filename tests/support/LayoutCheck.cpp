#include "support/LayoutCheck.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QComboBox>
#include <QLineEdit>
#include <QWidget>

namespace corvane::test {

namespace {

std::string Name(QWidget* widget) {
    const QString text = widget->property("text").toString();
    return std::string(widget->metaObject()->className()) + " '" + text.toStdString() + "'";
}

// Controls draw their own inside; only containers are searched further.
bool IsContainer(QWidget* widget) {
    return qobject_cast<QAbstractScrollArea*>(widget) == nullptr &&
           qobject_cast<QComboBox*>(widget) == nullptr &&
           qobject_cast<QAbstractButton*>(widget) == nullptr &&
           qobject_cast<QLineEdit*>(widget) == nullptr;
}

}  // namespace

std::vector<std::string> MisplacedControls(QWidget* root) {
    std::vector<std::string> found;
    std::vector<QWidget*> children;
    for (QObject* object : root->children()) {
        auto* child = qobject_cast<QWidget*>(object);
        if (child != nullptr && child->isVisible() && !child->isWindow()) {
            children.push_back(child);
        }
    }
    for (std::size_t i = 0; i < children.size(); ++i) {
        if (!root->rect().contains(children[i]->geometry())) {
            found.push_back(Name(children[i]) + " sticks out of " + Name(root));
        }
        for (std::size_t k = i + 1; k < children.size(); ++k) {
            if (children[i]->geometry().intersects(children[k]->geometry())) {
                found.push_back(Name(children[i]) + " overlaps " + Name(children[k]));
            }
        }
        if (IsContainer(children[i])) {
            const std::vector<std::string> inner = MisplacedControls(children[i]);
            found.insert(found.end(), inner.begin(), inner.end());
        }
    }
    return found;
}

}  // namespace corvane::test
