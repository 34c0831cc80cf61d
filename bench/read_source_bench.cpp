// Reading a dBASE table through the source table, as the import does: open, record count, and
// for every record the value text of every field. Generates a table of 1,000,000 records with ten
// mixed fields (code page 866 text, so the conversion is part of the work) unless a table is
// given, and prints records per second and bytes per second, the open time and the peak memory.
//
// Beside it, in the same passes, the floor: reading the table's bytes (and its memo file's) once
// with plain read() calls into one buffer, nothing looked at. Each pass reads the floor first and
// then the table, so both see the same page cache; the figures are the medians over the passes.
//
//   read_source_bench [--records N] [--keep] [--passes N] [FILE.dbf]

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/regional_formats.h"
#include "source/source_path.h"
#include "source/source_table.h"

namespace {

struct Column {
  const char* name;
  char type;
  int length;
  int decimals;
};

constexpr Column kColumns[] = {
    {"NAME", 'C', 20, 0},  {"CITY", 'C', 30, 0}, {"QTY", 'N', 9, 0},    {"PRICE", 'N', 12, 2},
    {"BIGID", 'N', 15, 0}, {"BORN", 'D', 8, 0},  {"ACTIVE", 'L', 1, 0}, {"RATIO", 'F', 10, 4},
    {"CODE", 'C', 8, 0},   {"COUNT", 'N', 5, 0},
};

void Put(std::string& record, std::size_t& at, const std::string& text, int width, bool right) {
  const auto w = static_cast<std::size_t>(width);
  std::string cell = text.substr(0, w);
  if (right) {
    cell.insert(0, w - cell.size(), ' ');
  } else {
    cell.resize(w, ' ');
  }
  record.replace(at, w, cell);
  at += w;
}

// Writes a dBASE III table (language driver 0x26: code page 866).
void Generate(const std::string& path, long records) {
  std::ofstream out(path, std::ios::binary);
  std::size_t recordLength = 1;
  for (const Column& c : kColumns) recordLength += static_cast<std::size_t>(c.length);
  const std::size_t headerLength = 32 + 32 * std::size(kColumns) + 1;
  std::string header(32, '\0');
  header[0] = 0x03;
  header[1] = 125;
  header[2] = 1;
  header[3] = 1;
  for (int i = 0; i < 4; ++i) header[4 + i] = static_cast<char>(records >> (8 * i) & 0xFF);
  header[8] = static_cast<char>(headerLength & 0xFF);
  header[9] = static_cast<char>(headerLength >> 8);
  header[10] = static_cast<char>(recordLength & 0xFF);
  header[11] = static_cast<char>(recordLength >> 8);
  header[29] = 0x26;
  for (const Column& c : kColumns) {
    std::string d(32, '\0');
    d.replace(0, std::string(c.name).size(), c.name);
    d[11] = c.type;
    d[16] = static_cast<char>(c.length);
    d[17] = static_cast<char>(c.decimals);
    header += d;
  }
  header += '\x0D';
  out << header;

  // Cyrillic names in code page 866 ("Иванов", "Петрова", "Сидоренко").
  const std::string names[] = {"\x88\xA2\xA0\xAD\xAE\xA2", "\x8F\xA5\xE2\xE0\xAE\xA2\xA0",
                               "\x91\xA8\xA4\xAE\xE0\xA5\xAD\xAA\xAE", "Smith"};
  const std::string cities[] = {"Novosibirsk", "\x8C\xAE\xE1\xAA\xA2\xA0", "Saint Petersburg"};
  std::string record(recordLength, ' ');
  std::string block;
  for (long r = 0; r < records; ++r) {
    std::size_t at = 1;
    record[0] = r % 50 == 7 ? '*' : ' ';  // every 50th record deleted
    Put(record, at, names[r % 4] + " " + std::to_string(r % 1000), 20, false);
    Put(record, at, cities[r % 3], 30, false);
    Put(record, at, std::to_string(r * 7 % 1000000000), 9, true);
    Put(record, at, std::to_string(r % 100000) + "." + std::to_string(10 + r % 90), 12, true);
    Put(record, at, std::to_string(100000000000000 + r), 15, true);
    char date[16];
    std::snprintf(date, sizeof date, "%04ld%02ld%02ld", 1950 + r % 70, 1 + r % 12, 1 + r % 28);
    Put(record, at, r % 10 == 0 ? "" : date, 8, false);
    Put(record, at, r % 3 ? "T" : "F", 1, false);
    Put(record, at, std::to_string(r % 10) + ".25", 10, true);
    std::string code = "K";  // appended, not "K" + ...: g++ 12 -O3 warns falsely on that form
    code += std::to_string(r % 9999);
    Put(record, at, code, 8, false);
    Put(record, at, std::to_string(r % 99999), 5, true);
    block += record;
    if (block.size() > (1 << 20)) {
      out << block;
      block.clear();
    }
  }
  out << block << '\x1A';
}

long PeakMemoryKiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

// The memo file beside the table, if it has one: same name, .dbt or .fpt in either case.
std::vector<std::string> TableFiles(const std::string& path) {
  std::vector<std::string> files = {path};
  const std::filesystem::path table(path);
  for (const char* ext : {".dbt", ".DBT", ".fpt", ".FPT"}) {
    std::filesystem::path memo = table;
    memo.replace_extension(ext);
    if (std::filesystem::exists(memo)) {
      files.push_back(memo.string());
      break;
    }
  }
  return files;
}

// Reads every byte of the files once, in 1 MiB calls. Returns the bytes read.
std::size_t PlainRead(const std::vector<std::string>& files) {
  static std::vector<char> buffer(1 << 20);
  std::size_t total = 0;
  for (const std::string& file : files) {
    const int fd = ::open(file.c_str(), O_RDONLY);
    if (fd < 0) throw std::runtime_error("cannot open " + file);
    ssize_t got;
    while ((got = ::read(fd, buffer.data(), buffer.size())) > 0)
      total += static_cast<std::size_t>(got);
    ::close(fd);
  }
  return total;
}

double CpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
  long records = 1000000;
  int passes = 5;
  bool keep = false;
  std::string path;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--records" && i + 1 < argc) {
      records = std::atol(argv[++i]);
    } else if (arg == "--passes" && i + 1 < argc) {
      passes = std::max(1, std::atoi(argv[++i]));
    } else if (arg == "--keep") {
      keep = true;
    } else {
      path = arg;
    }
  }
  const bool generated = path.empty();
  if (generated) {
    path = (std::filesystem::temp_directory_path() / "qm_read_source_bench.dbf").string();
    std::printf("generating %ld records into %s\n", records, path.c_str());
    Generate(path, records);
  }
  qm::SetRegionalFormats({',', "%d.%m.%Y", "%H:%M:%S"});
  const std::vector<std::string> files = TableFiles(path);
  double fileBytes = 0;
  for (const std::string& file : files)
    fileBytes += static_cast<double>(std::filesystem::file_size(file));
  const long memoryBefore = PeakMemoryKiB();

  using Clock = std::chrono::steady_clock;
  qm::SourceTable dbf;
  const qm::SourcePath split = qm::SplitSourcePath(path);
  dbf.SetDatabaseName(split.folder);
  dbf.SetTableName(split.name);

  std::vector<double> reads, opens, plainReads, cpuReads;
  long visited = 0;
  std::size_t textBytes = 0;
  for (int pass = 0; pass < passes; ++pass) {
    const auto plainStart = Clock::now();
    const std::size_t plainBytes = PlainRead(files);
    plainReads.push_back(std::chrono::duration<double>(Clock::now() - plainStart).count());
    if (static_cast<double>(plainBytes) != fileBytes)
      std::printf("plain read got %zu of %.0f bytes\n", plainBytes, fileBytes);

    const double cpuStart = CpuSeconds();
    const auto start = Clock::now();
    dbf.Open();
    const auto opened = Clock::now();
    const int count = dbf.RecordCount();
    std::vector<qm::SourceField*> fields;
    for (int i = 0; i < dbf.FieldCount(); ++i) fields.push_back(&dbf.Field(i));
    visited = 0;
    textBytes = 0;
    for (dbf.First(); !dbf.Eof(); dbf.Next(), ++visited)
      for (qm::SourceField* f : fields) textBytes += f->AsString().size();
    dbf.Close();
    reads.push_back(std::chrono::duration<double>(Clock::now() - start).count());
    cpuReads.push_back(CpuSeconds() - cpuStart);
    opens.push_back(std::chrono::duration<double>(opened - start).count());
    if (visited != count) std::printf("count %d but %ld records visited\n", count, visited);
  }
  const double read = Median(reads);
  const double plain = Median(plainReads);
  std::printf("table: %.0f bytes in %zu file(s), %ld live records, %zu value-text bytes per pass\n",
              fileBytes, files.size(), visited, textBytes);
  std::printf("open (header + mark scan): %.6f s\n", Median(opens));
  std::printf("read (median of %d, open + walk + all value texts): %.6f s\n", passes, read);
  std::printf("records/s: %.0f\n", static_cast<double>(visited) / read);
  // On a machine that other work shares, the processor time shows what the wall clock would on
  // a quiet one.
  std::printf("read, processor time (median of %d): %.6f s, records per processor second: %.0f\n",
              passes, Median(cpuReads), static_cast<double>(visited) / Median(cpuReads));
  std::printf("bytes/s: %.0f (%.1f MB/s)\n", fileBytes / read, fileBytes / read / 1e6);
  std::printf("plain read of the bytes (median of %d): %.6f s\n", passes, plain);
  std::printf("plain read bytes/s: %.0f (%.1f MB/s)\n", fileBytes / plain, fileBytes / plain / 1e6);
  std::printf("peak memory: %ld KiB (before reading: %ld KiB)\n", PeakMemoryKiB(), memoryBefore);
  if (generated && !keep) std::filesystem::remove(path);
  return 0;
}
