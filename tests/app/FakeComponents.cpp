// Stand-ins for the two plug-ins, built as Mp3Info.so and Settings.so into a
// test folder so that the loader can be tested without the real ones.
#include <cstdio>
#include <string>

#include "app/Mp3InfoObject.h"
#include "app/SettingsObject.h"

namespace {

class FakeMp3Info final : public corvane::Mp3InfoObject {
public:
    explicit FakeMp3Info(void* module) : module_(module) {}
    void Release() override { delete this; }
    int Open(const std::string&) override { return 1; }
    int WriteTag(const std::string&, const std::string&, const std::string&, const std::string&,
                 const std::string&, const std::string&, const std::string&) override {
        return 0;
    }
    // Reports whether it was given its own module handle.
    std::string GetFileType() override { return module_ != nullptr ? "module" : "no module"; }
    int GetBitrate() override { return 0; }
    int GetAuxValue() override { return 0; }
    unsigned GetPlaySeconds() override { return 0; }
    double GetPlayTime() override { return 0; }
    std::string GetTitle() override { return {}; }
    std::string GetArtist() override { return {}; }
    std::string GetAlbum() override { return {}; }
    std::string GetComment() override { return {}; }
    std::string GetGenre() override { return {}; }
    int GetYear() override { return 0; }
    int GetTrack() override { return -1; }
    int HasTag() override { return 0; }

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
    void SaveToIni() override {
        if (std::FILE* file = std::fopen(values.iniPath.c_str(), "w")) {
            std::fclose(file);
        }
    }

private:
    void* parent_;
};

}  // namespace

#ifdef FAKE_WITH_EXPORTS
extern "C" __attribute__((visibility("default"))) corvane::Mp3InfoObject* CreateObject(
    void* module) {
    return new FakeMp3Info(module);
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
