#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e/AlbumRoad.h"

namespace corvane::test {

struct CliRun {
    int status = -1;
    std::string out;  // standard output
    std::string err;  // standard error
};

// Runs corvane-cli (or program in its place) once, in workDir.
CliRun RunCli(const std::vector<std::string>& arguments, const std::string& workDir,
              const std::string& program = "");

// An album road, with corvane-cli run in its working directory, where the settings lie.
class CliTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (const std::string missing = AlbumRoad::MissingTool(); !missing.empty()) {
            GTEST_SKIP() << missing;
        }
    }
    CliRun Cli(const std::vector<std::string>& arguments) const {
        return RunCli(arguments, road_.Work());
    }
    const std::string& Album() const { return road_.Album(); }
    // The standard album, its record under "rock" and the server for it.
    void ServeStandardAlbum(const std::string& dtitle, const std::vector<std::string>& titles) {
        ASSERT_TRUE(road_.MakeStandardAlbum());
        road_.AddRecord("rock", dtitle, titles);
        ASSERT_TRUE(road_.StartServer());
        ASSERT_TRUE(road_.WriteSettings(road_.ServerSettings()));
    }

    AlbumRoad road_;
};

}  // namespace corvane::test
