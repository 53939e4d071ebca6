// Stand-ins for the two plug-ins, built as Mp3Info.so and Settings.so into a
// test folder so that the loader can be tested without the real ones.
#include <cerrno>
#include <cstdio>
#include <string>

#include "components/SettingsObject.h"
#include "support/FakeMp3Info.h"

namespace {

// The test fake of the MP3 component, released the way a plug-in's object is.
class ModuleMp3Info final : public corvane::test::FakeMp3Info {
public:
    explicit ModuleMp3Info(void* module) : module_(module) {}
    void Release() override { delete this; }
    // Reports whether it was given its own module handle.
    std::string GetFileType() override { return module_ != nullptr ? "module" : "no module"; }

private:
    void* module_;
};

class FakeSettings final : public corvane::SettingsObject {
public:
    explicit FakeSettings(void* parent) : parent_(parent) {}
    int DoModal() override { return parent_ != nullptr ? 1 : 0; }
    void Release() override { delete this; }
    // Marks the values so the test sees that the loader asked for them.
    void LoadFromIni() override { values.lastFolder = "loaded from " + values.iniPath; }
    // Leaves a file behind so the test sees the call after the object is gone.
    int SaveToIni() override {
        std::FILE* file = std::fopen(values.iniPath.c_str(), "w");
        return file != nullptr && std::fclose(file) == 0 ? 0 : errno;
    }

private:
    void* parent_;
};

}  // namespace

#ifdef FAKE_WITH_EXPORTS
extern "C" __attribute__((visibility("default"))) corvane::Mp3InfoObject* CreateObject(
    void* module) {
    return new ModuleMp3Info(module);
}

extern "C" __attribute__((visibility("default"))) corvane::SettingsObject* CreateSettingsDlg(
    void* parent) {
    return new FakeSettings(parent);
}
#else
extern "C" __attribute__((visibility("default"))) int SomethingElse() {
    return 0;
}
#endif
