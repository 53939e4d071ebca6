#pragma once

#include <functional>
#include <string>

class QWidget;

namespace corvane {

class ComponentLoader;
struct SettingsValues;

// "Library...": asks for the root of a music folder, starting from near,
// and opens the library window over it beside the main window. openAlbum
// takes an album that waits for a choice onto the single-album road.
void OpenLibrary(QWidget* parent, const std::string& near, const SettingsValues& settings,
                 ComponentLoader& loader, std::function<void(const std::string&)> openAlbum);

}  // namespace corvane
