#pragma once
// A fresh folder for one test's files, removed with the fixture.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

class TempFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = std::filesystem::temp_directory_path() /
                ("quillo-mime-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(m_dir);
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }

    // Writes the bytes to a file of that name in the folder and returns its path.
    std::string Write(const std::string& name, const std::string& data)
    {
        const auto path = m_dir / name;
        std::ofstream(path, std::ios::binary) << data;
        return path.string();
    }

    std::filesystem::path m_dir;
};
