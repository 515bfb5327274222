#!/usr/bin/env bash
# Writes the stub service's made-up catalogue (tab-separated, UTF-8) to stdout:
#   ./gen_catalogue.sh > catalogue.tsv
# Deterministic: a Park-Miller generator inside awk, so mawk and gawk give the same file.
set -euo pipefail
COUNT=${1:-320}

awk -v count="$COUNT" 'BEGIN {
  OFS = "\t"
  seed = 20240611

  n_course = split("Python|Java|C++|Linux|MySQL数据库|机器学习|高等数学|线性代数|概率论与数理统计|考研数学|英语四级|日语五十音|Photoshop|Excel函数|吉他|摄影|家常菜烹饪|钢琴|素描|数学分析|Go语言|前端开发|Docker|网络安全", course, "|")
  n_cform = split("入门教程|视频教程 全套|从零开始学 教程|精讲课程 第%d期|讲义 PDF|习题详解|实战教程 %d讲|完全自学教程", cform, "|")
  n_soft = split("青鸟办公套件|Firefly Editor|linux工具箱|晨光输入法|Ubuntu 镜像 linux|Debian linux 安装光盘|Python 离线安装包|绿叶杀毒|影音先锋播放器|Arch linux 启动盘|极速压缩|思源笔记本", soft, "|")
  n_sform = split("%d.%d 绿色版|%d.%d 安装包|v%d.%d 完整版|%d.%d 便携版|%d.%d 官方原版", sform, "|")
  n_film = split("星河彼岸|雾港往事|长安夜雨|The Silent Orchard|北方的信|Glass Harbor|青石巷|Midnight Ferry|白鹭归来|第七个冬天|Paper Lanterns|山海之间", film, "|")
  n_fform = split("(%d) 1080P 电影|(%d) 国语中字 电影|电影 %d 高清版|(%d) BluRay 电影 双语字幕|电影原声 %d", fform, "|")
  n_music = split("轻音乐|钢琴曲|80后经典老歌|民谣|古典音乐|Jazz Lounge|纯音乐|粤语金曲|Lo-fi Beats|交响乐", music, "|")
  n_mform = split("合集 %d首|音乐合集 无损|精选 %d首 MP3|音乐 第%d辑|Collection Vol.%d 音乐", mform, "|")
  n_novel = split("长夜行者|雪落无声|剑影江湖|星际拓荒者|归途|深海来信|The Lantern Keeper|旧城往事|青云志异", novel, "|")
  n_nform = split("全本小说 TXT|小说 精校版|完结 小说合集|小说 第%d部|有声小说 %d集", nform, "|")
  n_doc = split("毕业论文模板|简历模板合集|数学建模竞赛论文|公务员考试真题|高考数学真题|会计从业资格|英语作文范文|PPT模板|项目管理文档|小学数学练习题|python 面试题", doc, "|")
  n_dform = split("%d版|%d年合集|%d年汇总|(%d)", dform, "|")

  split("mp4|pdf|文件夹|rar", t_course, "|")
  split("zip|iso|exe|rar", t_soft, "|")
  split("mkv|mp4|文件夹", t_film, "|")
  split("mp3|flac|文件夹", t_music, "|")
  split("txt|epub|文件夹", t_novel, "|")
  split("doc|pdf|xls|ppt|压缩包", t_doc, "|")

  print "id", "title", "filetype", "size", "views", "downloads", "updated", "state"
  print "#refused", "违禁词"
  print "#refused", "forbidden"

  for (i = 1; i <= count; ++i) {
    do { title = make_title(i % 6) } while (title in seen_title)
    seen_title[title] = 1
    do { id = make_id() } while (id in seen_id)
    seen_id[id] = 1
    views = rnd(200000)
    downloads = int(views * rnd(60) / 100)
    date = sprintf("%04d-%02d-%02d", 2012 + rnd(12), 1 + rnd(12), 1 + rnd(28))
    r = rnd(100)
    state = r < 84 ? "alive" : (r < 95 ? "missing" : "broken")
    print id, title, type, size_text(type), views, downloads, date, state
  }
}

# 0 <= result < n
function rnd(n) {
  seed = (seed * 16807) % 2147483647
  return int(seed / 2147483647 * n)
}
function pick(arr, n) { return arr[1 + rnd(n)] }
function fill(form) { return sprintf(form, 1 + rnd(9), rnd(10)) }
function year_fill(form) { return sprintf(form, 1995 + rnd(29)) }

function make_title(kind) {
  if (kind == 0) { type = pick(t_course, 4); return pick(course, n_course) " " fill(pick(cform, n_cform)) }
  if (kind == 1) { type = pick(t_soft, 4); return pick(soft, n_soft) " " fill(pick(sform, n_sform)) }
  if (kind == 2) { type = pick(t_film, 3); return pick(film, n_film) " " year_fill(pick(fform, n_fform)) }
  if (kind == 3) { type = pick(t_music, 3); return pick(music, n_music) " " sprintf(pick(mform, n_mform), 10 + rnd(190)) }
  if (kind == 4) { type = pick(t_novel, 3); return pick(novel, n_novel) " " fill(pick(nform, n_nform)) }
  type = pick(t_doc, 5)
  return pick(doc, n_doc) " " year_fill(pick(dform, n_dform))
}

function make_id(   s, k, alphabet) {
  alphabet = "abcdefghijkmnpqrstuvwxyz23456789"
  s = "s"
  for (k = 0; k < 7; ++k) s = s substr(alphabet, 1 + rnd(32), 1)
  return s
}

function size_text(t,   r) {
  r = rnd(100)
  if (t == "mkv" || t == "iso" || t == "文件夹") return sprintf("%d.%dG", 1 + rnd(7), rnd(10))
  if (t == "mp4" || t == "flac") return r < 50 ? sprintf("%dM", 100 + rnd(900)) : sprintf("%d.%dG", 1 + rnd(3), rnd(10))
  if (t == "txt" || t == "doc" || t == "xls") return r < 60 ? sprintf("%dK", 12 + rnd(980)) : sprintf("%d.%dM", 1 + rnd(9), rnd(10))
  return sprintf("%dM", 2 + rnd(700))
}'
