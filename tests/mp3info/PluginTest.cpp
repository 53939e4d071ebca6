#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "components/Mp3InfoObject.h"
#include "support/TestSupport.h"

namespace corvane {
namespace {

// The built module is loaded as the program loads it.
TEST(Plugin, ModuleExportsCreateObject) {
    const std::string module = test::BinDir() + "/Mp3Info.so";
    void* handle = ::dlopen(module.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle, nullptr) << ::dlerror();
    auto create = reinterpret_cast<CreateMp3InfoFn>(::dlsym(handle, "CreateObject"));
    ASSERT_NE(create, nullptr);
    Mp3InfoObject* object = create(handle);
    ASSERT_NE(object, nullptr);

    test::TempDir dir;
    const std::string path = test::MakeMp3(dir.path(), "p.mp3", 588 * 300, {"-b", "160"});
    ASSERT_EQ(object->Open(path), 0);
    EXPECT_EQ(std::floor(object->GetPlayTime() * 75.0), 300.0);
    EXPECT_EQ(object->GetBitrate(), 160);
    EXPECT_EQ(object->WriteTag("t", "a", "b", "2001", "c", "3", "Jazz"), 0);
    EXPECT_EQ(object->GetTrack(), 3);
    object->Release();
    ::dlclose(handle);
}

}  // namespace
}  // namespace corvane
