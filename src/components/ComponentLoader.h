#pragma once

#include <memory>
#include <string>
#include <vector>

#include "components/Mp3InfoObject.h"
#include "components/SettingsObject.h"

namespace corvane {

inline constexpr const char* kMp3InfoFileName = "Mp3Info.so";
inline constexpr const char* kSettingsFileName = "Settings.so";

// Gives a component object back to its plug-in.
struct ComponentRelease {
    template <class T>
    void operator()(T* object) const {
        object->Release();
    }
};

using Mp3InfoPtr = std::unique_ptr<Mp3InfoObject, ComponentRelease>;
using SettingsPtr = std::unique_ptr<SettingsObject, ComponentRelease>;

// The end of a run: the settings are written back and released first, then
// the MP3 information object is released. Either may be null.
void SaveAndReleaseComponents(SettingsPtr& settings, Mp3InfoPtr& mp3);

// "Cannot find DLL <name>\nPlease make sure ..." for a missing component.
std::string MissingComponentText(const std::string& fileName);

// Loads the two plug-ins and creates their objects. Each comes from the
// first folder where it loads: by default the running program's own folder
// (the build tree), then ../lib/corvane-mp3 beside it (an installed tree). A
// loaded module stays loaded until the process ends: the objects' code lives
// in it, and unloading a Qt plug-in while Qt runs is unsafe.
class ComponentLoader {
public:
    ComponentLoader();
    explicit ComponentLoader(std::string folder);
    explicit ComponentLoader(std::vector<std::string> folders);

    // The MP3 information object, or null with Error() set.
    Mp3InfoPtr LoadMp3Info();

    // The settings object, or null with Error() set. Its iniPath becomes the
    // current directory + "/" + "Corvane Mp3.ini" and its values are loaded
    // from there. parent is the main window (a QWidget*) or null.
    SettingsPtr LoadSettings(void* parent);

    // The message for the user after a failed load; empty when the file name
    // was refused without a message.
    const std::string& Error() const { return error_; }
    // The system's own reason (dlerror), for a log.
    const std::string& Detail() const { return detail_; }

    void* Mp3InfoModule() const { return mp3InfoModule_; }
    void* SettingsModule() const { return settingsModule_; }
    const std::vector<std::string>& Folders() const { return folders_; }

    // Opens fileName in the first folder where it loads and finds exportName
    // in it; null on failure. A name without the ".so" suffix is refused
    // without a message. On success module is the library's handle.
    void* LoadExport(const std::string& fileName, const char* exportName, void*& module);

private:
    void* OpenExport(const std::string& path, const char* exportName, void*& module);

    // Loads fileName and creates its object through exportName, a CreateFn
    // called with argumentFor(the module's handle); null with Error() set.
    // module becomes the handle once the export is found.
    template <class CreateFn, class ArgumentFor>
    auto LoadComponent(const char* fileName, const char* exportName, void*& module,
                       ArgumentFor argumentFor);

    std::vector<std::string> folders_;
    std::string error_;
    std::string detail_;
    void* mp3InfoModule_ = nullptr;
    void* settingsModule_ = nullptr;
};

}  // namespace corvane
