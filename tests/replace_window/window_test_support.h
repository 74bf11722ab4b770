#pragma once
// Helpers shared by the window tests: message boxes answered and recorded, files in a
// temporary folder.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "ui_common/message_box.h"

namespace sorvane::ui::testing {

struct ShownBox {
    QString text;
    MsgStyle style = MsgOk;
};

// Answers every message box with OK while alive and keeps what was shown.
class MsgBoxRecorder {
public:
    MsgBoxRecorder()
    {
        setMsgBoxHook([this](const QString& text, MsgStyle style) {
            boxes.push_back({text, style});
            return AnswerOk;
        });
    }
    ~MsgBoxRecorder() { setMsgBoxHook({}); }
    MsgBoxRecorder(const MsgBoxRecorder&) = delete;
    MsgBoxRecorder& operator=(const MsgBoxRecorder&) = delete;

    std::vector<ShownBox> boxes;
};

inline std::string readBytes(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class TempFolder {
public:
    TempFolder() { EXPECT_TRUE(m_dir.isValid()); }

    std::filesystem::path path(std::string_view name) const
    {
        return std::filesystem::path(m_dir.path().toStdString()) / name;
    }

    std::filesystem::path write(std::string_view name, std::string_view bytes) const
    {
        const std::filesystem::path file = path(name);
        std::ofstream out(file, std::ios::binary);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        EXPECT_TRUE(out.good()) << file;
        return file;
    }

private:
    QTemporaryDir m_dir;
};

}  // namespace sorvane::ui::testing
