// The search reply rules in plain JavaScript, for comparison with parse_search_reply:
// quote swap, "{...}" pieces, the record pattern as a RegExp, unescape() for the title
// and the file type. Timed inside node over several runs of the same reply file.
//   node parse_reply.mjs REPLY_FILE [RUNS]
// Prints one JSON line: records, bytes, runs, best and median wall ms, processor ms per
// run, MB/s and records/s (from the median).
import { readFileSync } from 'node:fs';

const RECORD =
  /'title':'(.*?)','catid':'.*?','filetype':'(.*?)','filesize':'(.*?)','hits':'(.*?)','sharexiazai':'(.*?)','url':'(.*?)'/s;

function trimSpaces(text) {
  let begin = 0;
  let end = text.length;
  while (begin < end && text[begin] === ' ') ++begin;
  while (end > begin && text[end - 1] === ' ') --end;
  return text.slice(begin, end);
}

// Each piece lies strictly between a "{" and the first "}" after it; the next search
// starts at that "}". An empty piece or a "{" without a "}" ends the scan.
function recordPieces(reply) {
  const swapped = reply.replaceAll('"', "'");
  const pieces = [];
  let from = 0;
  for (;;) {
    const open = swapped.indexOf('{', from);
    if (open < 0) break;
    const close = swapped.indexOf('}', open + 1);
    if (close < 0) break;
    const piece = trimSpaces(swapped.slice(open + 1, close));
    if (piece === '') break;
    pieces.push(piece);
    from = close;
  }
  return pieces;
}

function decode(field) {
  return unescape(field.replaceAll('\\u', '%u'));
}

export function parseSearchReply(reply) {
  return recordPieces(reply).map((piece) => {
    const m = RECORD.exec(piece);
    if (m === null) {
      return { title: '', fileType: '', fileSize: '', views: '', downloads: '', shareId: '' };
    }
    return {
      title: decode(m[1]),
      fileType: decode(m[2]),
      fileSize: m[3],
      views: m[4],
      downloads: m[5],
      shareId: m[6],
    };
  });
}

const path = process.argv[2];
const runs = Number(process.argv[3] ?? 20);
// Bytes as they came: GBK text read one byte per character, as the parser sees it.
const reply = readFileSync(path).toString('latin1');
let records = 0;
for (let i = 0; i < 3; ++i) records = parseSearchReply(reply).length;  // warm the JIT
const times = [];
const cpuBefore = process.cpuUsage();
for (let i = 0; i < runs; ++i) {
  const start = process.hrtime.bigint();
  records = parseSearchReply(reply).length;
  times.push(Number(process.hrtime.bigint() - start) / 1e6);
}
const cpu = process.cpuUsage(cpuBefore);
const cpuMs = (cpu.user + cpu.system) / 1e3 / runs;
times.sort((a, b) => a - b);
const median = times[Math.floor(times.length / 2)];
console.log(
  JSON.stringify({
    records,
    bytes: reply.length,
    runs,
    best_ms: times[0],
    median_ms: median,
    cpu_ms: cpuMs,
    mb_per_s: reply.length / 1e6 / (median / 1e3),
    records_per_s: records / (median / 1e3),
    node: process.version,
  }),
);
