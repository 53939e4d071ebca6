#include "components/ComponentLoader.h"

#include <dlfcn.h>

#include <cctype>
#include <filesystem>
#include <system_error>

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

ComponentLoader::ComponentLoader() : ComponentLoader(ExecutableDir()) {}

ComponentLoader::ComponentLoader(std::string folder) : folder_(std::move(folder)) {}

void* ComponentLoader::LoadExport(const std::string& fileName, const char* exportName,
                                  void*& module) {
    error_.clear();
    detail_.clear();
    if (!HasLibrarySuffix(fileName)) {
        return nullptr;
    }
    const std::string path = folder_.empty() ? fileName : folder_ + "/" + fileName;
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    void* symbol = nullptr;
    if (handle != nullptr) {
        ::dlerror();
        symbol = ::dlsym(handle, exportName);
    }
    if (symbol == nullptr) {
        const char* reason = ::dlerror();
        detail_ = reason != nullptr ? reason : "";
        error_ = MissingComponentText(fileName);
        if (handle != nullptr) {
            ::dlclose(handle);
        }
        return nullptr;
    }
    module = handle;
    return symbol;
}

Mp3InfoPtr ComponentLoader::LoadMp3Info() {
    void* module = nullptr;
    void* symbol = LoadExport(kMp3InfoFileName, "CreateObject", module);
    if (symbol == nullptr) {
        return nullptr;
    }
    mp3InfoModule_ = module;
    auto create = reinterpret_cast<CreateMp3InfoFn>(symbol);
    Mp3InfoPtr object(create(module));
    if (!object) {
        error_ = MissingComponentText(kMp3InfoFileName);
        detail_ = "CreateObject returned no object";
    }
    return object;
}

SettingsPtr ComponentLoader::LoadSettings(void* parent) {
    void* module = nullptr;
    void* symbol = LoadExport(kSettingsFileName, "CreateSettingsDlg", module);
    if (symbol == nullptr) {
        return nullptr;
    }
    settingsModule_ = module;
    auto create = reinterpret_cast<CreateSettingsDlgFn>(symbol);
    SettingsPtr object(create(parent));
    if (!object) {
        error_ = MissingComponentText(kSettingsFileName);
        detail_ = "CreateSettingsDlg returned no object";
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
