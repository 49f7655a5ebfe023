// Shared by the file tests: a temporary program folder, global state reset, fixed clock and seed,
// and golden bytes written as hexadecimal text.
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "model/UClock.h"
#include "model/UDateTime.h"
#include "model/UFormat.h"
#include "model/UGlobals.h"
#include "model/URandom.h"

namespace tervanix::test {

// "08 33 32" -> the three bytes.
inline std::string Hex(std::string_view text) {
    std::string out;
    int pending = -1;
    for (char c : text) {
        if (!std::isxdigit(static_cast<unsigned char>(c))) continue;
        const int v = std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : std::tolower(c) - 'a' + 10;
        if (pending < 0) {
            pending = v;
        } else {
            out += static_cast<char>(pending * 16 + v);
            pending = -1;
        }
    }
    return out;
}

// A short string[n] of a text: length byte, the text, zeros up to the capacity.
inline std::string ShortBytes(std::string_view text, std::size_t capacity) {
    std::string out(1, static_cast<char>(text.size()));
    out += text;
    out.append(capacity - text.size(), '\0');
    return out;
}

inline const std::string TagBytes = Hex("08 33 32 B5 FE 70 6F 34 35");

inline std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void WriteFile(const std::filesystem::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Each test gets an empty program folder, empty global lists, default settings, a fixed date
// (2023-03-15 14:00) and a fixed seed; everything is put back afterwards.
class FileTest : public ::testing::Test {
protected:
    void SetUp() override {
        static int counter = 0;
        dir_ = std::filesystem::temp_directory_path() /
               ("tervanix-files-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                std::to_string(reinterpret_cast<std::uintptr_t>(this)) + "-" + std::to_string(counter++));
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
        savedProgramDir_ = ProgramDir;
        savedBasePath_ = BasePath;
        SetProgramDir(dir_.string());
        SetClock([] { return EncodeDate(2023, 3, 15) + EncodeTime(14, 0, 0, 0); });
        Random().SetSeed(12345);
        SetLocale(TLocaleFormats{});
        ResetGlobals();
    }
    void TearDown() override {
        ResetGlobals();
        SetClock({});
        ProgramDir = savedProgramDir_;
        BasePath = savedBasePath_;
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    static void ResetGlobals() {
        Analytes.FreeAll();
        Materials = TListSerum();
        Queue.Clear();
        Operators.Clear();
        Settings = DefaultSettings();
        FirstRun = false;
    }
    std::string Path(const std::string& name) const { return (dir_ / name).string(); }

    std::filesystem::path dir_;
    std::string savedProgramDir_;
    std::string savedBasePath_;
};

} // namespace tervanix::test
