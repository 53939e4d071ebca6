#include "components/ComponentLoader.h"

#include <dlfcn.h>

#include <cctype>
#include <filesystem>
#include <system_error>
#include <type_traits>

#include "platform/FileSystem.h"

namespace corvane {

namespace {

bool HasLibrarySuffix(const std::string& fileName) {
    static const std::string kSuffix = ".so";
    if (fileName.size() < kSuffix.size()) {
        return false;
    }
    const std::string tail = fileName.substr(fileName.size() - kSuffix.size());
    for (std::size_t i = 0; i < kSuffix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(tail[i])) != kSuffix[i]) {
            return false;
        }
    }
    return true;
}

// The program's folder, then the installed tree's plug-in folder beside it
// (bin/../lib/corvane-mp3).
std::vector<std::string> DefaultFolders() {
    const std::string own = ExecutableDir();
    const std::filesystem::path installed =
        (std::filesystem::path(own) / ".." / "lib" / "corvane-mp3").lexically_normal();
    return {own, installed.string()};
}

std::string CurrentDirectory() {
    std::error_code error;
    const std::filesystem::path current = std::filesystem::current_path(error);
    return error ? std::string(".") : current.string();
}

}  // namespace

std::string MissingComponentText(const std::string& fileName) {
    return "Cannot find DLL <" + fileName +
           ">\nPlease make sure this file is in the Corvane MP3 directory !";
}

void SaveAndReleaseComponents(SettingsPtr& settings, Mp3InfoPtr& mp3) {
    if (settings) {
        settings->SaveToIni();
        settings.reset();
    }
    mp3.reset();
}

ComponentLoader::ComponentLoader() : ComponentLoader(DefaultFolders()) {}

ComponentLoader::ComponentLoader(std::string folder)
    : ComponentLoader(std::vector<std::string>{std::move(folder)}) {}

ComponentLoader::ComponentLoader(std::vector<std::string> folders) : folders_(std::move(folders)) {}

void* ComponentLoader::LoadExport(const std::string& fileName, const char* exportName,
                                  void*& module) {
    error_.clear();
    detail_.clear();
    if (!HasLibrarySuffix(fileName)) {
        return nullptr;
    }
    for (const std::string& folder : folders_) {
        const std::string path = folder.empty() ? fileName : folder + "/" + fileName;
        if (void* symbol = OpenExport(path, exportName, module)) {
            detail_.clear();
            return symbol;
        }
    }
    error_ = MissingComponentText(fileName);
    return nullptr;
}

// Adds the reason to detail_ when the library or its export is missing.
void* ComponentLoader::OpenExport(const std::string& path, const char* exportName, void*& module) {
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    void* symbol = nullptr;
    if (handle != nullptr) {
        ::dlerror();
        symbol = ::dlsym(handle, exportName);
    }
    if (symbol == nullptr) {
        const char* reason = ::dlerror();
        detail_ += (detail_.empty() ? "" : "; ") + std::string(reason != nullptr ? reason : path);
        if (handle != nullptr) {
            ::dlclose(handle);
        }
        return nullptr;
    }
    module = handle;
    return symbol;
}

template <class CreateFn, class ArgumentFor>
auto ComponentLoader::LoadComponent(const char* fileName, const char* exportName, void*& module,
                                    ArgumentFor argumentFor) {
    using Object = std::remove_pointer_t<std::invoke_result_t<CreateFn, void*>>;
    std::unique_ptr<Object, ComponentRelease> object;
    void* handle = nullptr;
    void* symbol = LoadExport(fileName, exportName, handle);
    if (symbol == nullptr) {
        return object;
    }
    module = handle;
    object.reset(reinterpret_cast<CreateFn>(symbol)(argumentFor(handle)));
    if (!object) {
        error_ = MissingComponentText(fileName);
        detail_ = std::string(exportName) + " returned no object";
    }
    return object;
}

Mp3InfoPtr ComponentLoader::LoadMp3Info() {
    // The MP3 object is told its own module.
    return LoadComponent<CreateMp3InfoFn>(kMp3InfoFileName, "CreateObject", mp3InfoModule_,
                                          [](void* handle) { return handle; });
}

SettingsPtr ComponentLoader::LoadSettings(void* parent) {
    SettingsPtr object =
        LoadComponent<CreateSettingsDlgFn>(kSettingsFileName, "CreateSettingsDlg", settingsModule_,
                                           [parent](void*) { return parent; });
    if (!object) {
        return object;
    }
    std::string folder = CurrentDirectory();
    if (folder.empty() || folder.back() != '/') {
        folder += '/';
    }
    object->values.iniPath = folder + kIniFileName;
    object->LoadFromIni();
    return object;
}

}  // namespace corvane
