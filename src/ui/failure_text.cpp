// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/failure_text.h"

#include <QDir>
#include <QFileInfo>

#include "textio/text_file.h"

namespace orvane::ui {
using textio::Failure;
using textio::FailureKind;

namespace {

QString Native(const std::filesystem::path& path) {
    return QDir::toNativeSeparators(QString::fromStdString(textio::PathToUtf8(path)));
}

QString FileName(const std::filesystem::path& path) {
    const QString native = Native(path);
    const QString name = QFileInfo(native).fileName();
    return name.isEmpty() ? native : name;
}

// The system's reason in the window's language where it is a common one.
QString SystemReason(const std::error_code& code) {
    struct Known {
        std::errc error;
        const char* text;
    };
    static const Known kKnown[] = {
        {std::errc::permission_denied, "权限不足"},
        {std::errc::operation_not_permitted, "权限不足"},
        {std::errc::no_space_on_device, "磁盘空间已满或文件数已达上限"},
        {std::errc::read_only_file_system, "只读文件系统"},
        {std::errc::no_such_file_or_directory, "文件或文件夹不存在"},
        {std::errc::file_too_large, "文件超过系统允许的大小"},
        {std::errc::io_error, "磁盘读写错误"},
        {std::errc::too_many_files_open, "打开的文件太多"},
        {std::errc::filename_too_long, "文件名太长"},
        {std::errc::not_a_directory, "路径中有一项不是文件夹"},
        {std::errc::device_or_resource_busy, "文件被占用"},
    };
    for (const Known& known : kKnown) {
        if (code == known.error) {
            return QString::fromUtf8(known.text);
        }
    }
    return QString::fromStdString(code.message());
}

QString WithCode(const QString& text, const Failure& failure) {
    return failure.code
               ? text + QStringLiteral("（") + SystemReason(failure.code) + QStringLiteral("）")
               : text;
}

QString WriteText(const QString& text, const Failure& failure) {
    return WithCode(text, failure) +
           (failure.originalKept ? QStringLiteral("，原文件未改动") : QString());
}

}  // namespace

QString FailureReason(const Failure& failure) {
    switch (failure.kind) {
        case FailureKind::NoSuchFile:
            return QStringLiteral("文件不存在");
        case FailureKind::IsFolder:
            return QStringLiteral("这是一个文件夹，不是字幕文件");
        case FailureKind::NotRegularFile:
            return QStringLiteral("不是普通文件（管道或设备），未读取");
        case FailureKind::NotSubtitleFile:
            return QStringLiteral("不是字幕文件（仅支持srt、ass、ssa）");
        case FailureKind::OpenFailed:
            return WithCode(QStringLiteral("无法打开文件"), failure);
        case FailureKind::ReadFailed:
            return WithCode(QStringLiteral("读取文件失败"), failure);
        case FailureKind::TooLarge:
            return QStringLiteral("文件太大（超过256MB），不是字幕文件");
        case FailureKind::Utf32:
            return QStringLiteral("不支持UTF-32编码的文件，请先另存为UTF-8");
        case FailureKind::EncodingUncertain:
            return QStringLiteral("无法确定文件编码（可能是%1），请在“输入编码”中选定其一")
                .arg(QString::fromStdString(textio::JoinNames(failure.names, "、")));
        case FailureKind::MarkContradicts:
            return QStringLiteral("文件的字节顺序标记表明是%1，与指定的编码%2不符；未写出文件")
                .arg(QString::fromStdString(failure.names.empty() ? "" : failure.names[0]),
                     QString::fromStdString(failure.names.size() < 2 ? "" : failure.names[1]));
        case FailureKind::InvalidBytes:
            return QStringLiteral("文件中有无法识别的字节，为免损坏原文件，未覆盖");
        case FailureKind::BeingShifted:
            return QStringLiteral("另一个任务正在平移此文件，未写出");
        case FailureKind::ChangedBeforeReplace:
            return QStringLiteral("平移期间另一个程序写入了此文件，未覆盖");
        case FailureKind::ChangedWhileRead:
            return QStringLiteral("读取时文件被其他程序改动，未写出文件");
        case FailureKind::ListFolderFailed:
            return WithCode(QStringLiteral("无法读取文件夹"), failure);
        case FailureKind::Empty:
            return QStringLiteral("文件是空的，没有字幕内容");
        case FailureKind::NoCueNumbers:
            return QStringLiteral("找不到字幕序号，不是有效的SRT字幕文件");
        case FailureKind::NoTimeLines:
            return QStringLiteral("找不到可识别的时间轴行（应如 00:00:01,000 --> 00:00:02,000）");
        case FailureKind::NoScriptInfo:
            return QStringLiteral("找不到[Script Info]，不是有效的ASS/SSA字幕文件");
        case FailureKind::NothingLeft:
            return QStringLiteral("全部字幕都在片头裁剪范围内（或被移到零点之前），未写出文件");
        case FailureKind::BadAmount:
            return QStringLiteral("平移秒数或片头时长不是有效的数字");
        case FailureKind::TargetIsSource:
            return QStringLiteral("输出目录就是字幕所在目录，未覆盖源文件");
        case FailureKind::TargetIsInput:
            return QStringLiteral("输出会覆盖列表中的另一个文件（%1），未写出")
                .arg(Native(failure.other));
        case FailureKind::TargetTaken:
            return QStringLiteral("与%1同名，输出会互相覆盖，未写出").arg(Native(failure.other));
        case FailureKind::TargetReadOnly:
            return failure.code == std::errc::read_only_file_system
                       ? QStringLiteral("文件所在的文件系统是只读的，未写出")
                       : QStringLiteral("要替换的文件是只读的，未写出");
        case FailureKind::SimplifierMissing:
            return QStringLiteral("无法加载繁简转换（OpenCC及其词典），未写出");
        case FailureKind::HardLinked:
            return QStringLiteral("此文件有 %1 个名称（硬链接），覆盖会将它们拆开，未写出")
                .arg(failure.links);
        case FailureKind::LinkUnresolved:
            return WithCode(QStringLiteral("找不到此链接指向的文件"), failure) +
                   QStringLiteral("，未写出");
        case FailureKind::OutputDirNotFolder:
            return QStringLiteral("输出目录（%1）不是文件夹").arg(Native(failure.other));
        case FailureKind::OutputDirCreateFailed:
            return WithCode(QStringLiteral("无法创建输出目录（%1）").arg(Native(failure.other)),
                            failure);
        case FailureKind::TargetIsFolder:
            return QStringLiteral("输出位置已有同名文件夹，无法写入");
        case FailureKind::TempCreateFailed:
            return WithCode(QStringLiteral("无法在目标文件夹中创建临时文件"), failure);
        case FailureKind::WriteFailed:
            return WriteText(QStringLiteral("写入失败"), failure);
        case FailureKind::ReplaceFailed:
            return WriteText(QStringLiteral("无法替换目标文件"), failure);
        case FailureKind::Unexpected:
            break;
    }
    return QStringLiteral("意外错误") +
           (failure.detail.empty() ? QString()
                                   : QStringLiteral("：") + QString::fromStdString(failure.detail));
}

QString FailureLine(const Failure& failure) {
    return FileName(failure.path) + QStringLiteral("：") + FailureReason(failure);
}

}  // namespace orvane::ui
