// A fresh folder per test, made the working folder for the test's span,
// since the engine names its files relative to the working folder.
#ifndef KORVA_TEST_TEMPDIR_H
#define KORVA_TEST_TEMPDIR_H

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

class tempDir {
public:
    tempDir()
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = "korva_";
        name += info ? std::string(info->test_suite_name()) + "_" + info->name() : "test";
        name += "_" + std::to_string(::getpid());
        path = std::filesystem::temp_directory_path() / name;
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
        home = std::filesystem::current_path();
        std::filesystem::current_path(path);
    }
    ~tempDir()
    {
        std::error_code ec;
        std::filesystem::current_path(home, ec);
        std::filesystem::remove_all(path, ec);
    }
    tempDir(const tempDir&) = delete;
    tempDir& operator=(const tempDir&) = delete;

    std::filesystem::path path;
    std::filesystem::path home;
};

inline void writeFile(const std::string& name, const std::string& text)
{
    std::ofstream out(name, std::ios::binary);
    out << text;
}

inline std::string readFile(const std::string& name)
{
    std::ifstream in(name, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

#endif
