// SPDX-License-Identifier: GPL-3.0-or-later
// orvane-shift --help: every option, in English and Chinese.
#include "cli/options.h"

namespace orvane::cli {

std::string HelpText() {
    return R"(Usage: orvane-shift [OPTIONS] FILE...
用法：orvane-shift [选项] 文件...

Moves the time axis of SubRip (.srt) and SubStation (.ass, .ssa) subtitle files.
A FILE may be a folder: its files (not its subfolders) are taken. Other file
types are skipped with a note.
平移字幕文件（srt、ass、ssa）的时间轴。可以给出文件夹（处理其中的文件，不含子文件夹）；
其他类型的文件跳过。

Mode 模式 (default 默认: --cut 12):
  --cut SECONDS       cut an opening of SECONDS away: cues inside it are dropped,
                      the cue across it starts at zero, later cues move earlier
                      先裁剪后平移：裁掉指定秒数的片头
  --advance SECONDS   cut mode: move a further SECONDS earlier after the cut
                      裁剪后再提前指定秒数
  --opening VIDEO     cut mode: the opening's length is the playing time of VIDEO
                      (at most 120 seconds)   以片头视频时长为裁剪长度（不超过120秒）
  --direct SECONDS    direct mode: move every cue SECONDS earlier
                      直接平移：所有字幕提前指定秒数
  --later             direct mode: move later instead   延后而不是提前
  --from TIME         direct mode: move only cues that start at or after TIME
                      (seconds, or a time code such as 00:20:00,000)
                      仅平移此时间及之后开始的字幕
  --until TIME        direct mode: move only cues that start before TIME
                      仅平移此时间之前开始的字幕
  --sync-to REF       align each file to the well-timed subtitle REF (.srt, .ass)
                      or to the speech of a video or audio file REF:
                      the offset, breaks and frame rate are found; an unsure
                      alignment is not written (exit 1)   自动对齐到参考字幕或视频
                      with --cut SECONDS the opening is cut first, then the
                      rest aligned   先裁剪片头再对齐
  --dry-run           sync: print the alignment, write nothing   只显示对齐结果
  --no-split          sync: one offset for the whole file   不分段
  --split-penalty N   sync: overlap in seconds a break must gain (default 6)
  --no-fps-guess      sync: do not try frame-rate conversions   不猜测帧率
  --max-offset SECONDS  sync: the largest offset tried (default 900)
  --force             sync: write an unsure alignment too   强制写入
  --audio-stream N    sync to a video: its N-th audio stream, from 0 (default 0)
  --start-at T        sync to a video: ignore its sound before T (a music opening)
  --find-opening CLIP --in EPISODE
                      print where the opening clip's sound starts and ends in
                      the episode   找到片头位置
                      with files and -o DIR or --overwrite: cut exactly that
                      span from them; later cues move earlier by its length
                      剪去片头所在的时段
  --search T          find-opening: how far into the episode to look (default 600)
  --direct FRAMESf    an amount in frames, such as 12f, with --frame-rate RATE
                      按帧平移，需同时给出 --frame-rate
  --fps FROM:TO       re-time from one frame rate to another (25:23.976;
                      23.976 is 24000/1001); with --direct, --from and --until,
                      or with --cut   帧率转换
  --point NOW=RIGHT   two-point sync, given twice: the time NOW in the file
                      belongs at RIGHT; every cue is stretched between them
                      两点同步（给出两次）

Text 文字:
  --drop english|chinese  remove the English or the Chinese text of bilingual cues
                          删除英文字幕 / 删除中文字幕
  --simplified        convert Traditional to Simplified Chinese   繁转简
  --ansi              write GB2312 instead of UTF-8   以 GB2312（ANSI）编码保存
  --output-encoding same|utf-8|utf-8-bom|gb18030|big5|utf-16le
                      write in that encoding (default utf-8-bom; same: as read)
                      输出编码（默认带BOM的UTF-8；same：与源文件相同）

Output 输出 (one of the two is required 二者必选其一):
  -o, --output-dir DIR  write into DIR under the same file name (DIR is created)
                        输出到指定文件夹（不存在则创建）
  --overwrite           write over the source files   覆盖源文件
                        (a file with more than one name, a hard link, is refused
                        有多个名称（硬链接）的文件不覆盖)
  --break-links         with --overwrite: write each name of such a file as a
                        file of its own   拆开硬链接，逐个名称写出

  --encoding NAME     read every file in encoding NAME (such as Big5, GB18030,
                      windows-1252) instead of detecting it   指定输入文件的编码
  -q, --quiet         print only warnings and errors   只显示警告和错误
  -v, --verbose       also name the encoding each file was read in   显示每个文件的编码
  --help              show this help   显示本帮助
  --version           print the version   显示版本

SECONDS is a plain decimal such as 12 or 1.5.   秒数为普通小数，如 12 或 1.5。

Exit status 退出码: 0 every file written 全部成功, 1 some file failed 有文件失败,
2 usage error 用法错误.

Examples 示例:
  orvane-shift --cut 12 -o out ep01.srt ep02.ass
  orvane-shift --direct 1.5 --later --overwrite subs/
)";
}

}  // namespace orvane::cli
