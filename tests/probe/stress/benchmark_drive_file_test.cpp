// The drive test's file against someone who can write into the --dir folder
// (the root of a second drive, a shared folder) while the elevated worker runs:
// whatever they plant at the file's name, and whatever it points at, is left
// exactly as it was. The benchmark runs in this process with instant processor
// runs and no memory step, so the file's name carries our own process id and
// the object can be planted before the drive step begins.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "probe/stress/benchmark.h"
#include "probe/stress/benchmark_unit.h"
#include "probe/stress/drive_file.h"
#include "tests/support/captured_output.h"
#include "tests/support/folder_names.h"
#include "tests/support/unix_link.h"
#include "tests/support/whole_file.h"

namespace {

struct BenchRun {
  int code = -1;
  std::vector<EventLine> lines;
};

BenchmarkEnvironment QuickEnvironment() {
  BenchmarkEnvironment env;
  env.processorRun = [](uint32_t) { return 1.0; };
  env.memoryStep = [] {};
  env.startStdinWatcher = [] {};
  return env;
}

BenchRun RunBenchInto(const std::wstring& dir, const BenchmarkEnvironment& env = QuickEnvironment()) {
  Options options;
  wcsncpy(options.dir, dir.c_str(), kDirCapacity - 1);
  stopFlag.store(kRunning);
  BenchRun run;
  {
    CapturedOutput captured;
    run.code = RunBenchmark(options, env);
    captured.RunEnded(run.code);
    run.lines = captured.Lines();
  }
  stopFlag.store(kRunning);
  return run;
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string Pattern(size_t bytes, unsigned seed) {
  std::string text(bytes, '\0');
  for (size_t i = 0; i < bytes; ++i) text[i] = static_cast<char>((i * 31 + seed) & 0xFF);
  return text;
}

// A scratch tree in the prefix's temporary folder:
//   root\target           the folder the drive test writes into
//   root\through-link     a link to root\target, for a --dir that is a link
//   root\outside          the attacker's aim: victim.bin, and a name not yet taken
class DriveTree {
 public:
  DriveTree() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    root = std::wstring(temp) + L"vantorel-drive-file-" + std::to_wstring(GetCurrentProcessId());
    target = root + L"\\target";
    throughLink = root + L"\\through-link";
    outside = root + L"\\outside";
    victim = outside + L"\\victim.bin";
    notYetTaken = outside + L"\\not-yet-taken.bin";
    wchar_t path[kDrivePathCapacity];
    DriveTestPath(path, kDrivePathCapacity, target.c_str(), GetCurrentProcessId());
    fileName = path;
    CreateDirectoryW(root.c_str(), nullptr);
    CreateDirectoryW(target.c_str(), nullptr);
    CreateDirectoryW(outside.c_str(), nullptr);
    ready = WriteWholeFile(victim, kVictimBytes) && PlantUnixLink(throughLink, target);
  }
  ~DriveTree() {
    RemoveUnixLink(throughLink);
    RemoveUnixLink(fileName);  // a link planted there; a file or folder goes below
    DeleteFileW((fileName + L"\\inside.txt").c_str());
    RemoveDirectoryW(fileName.c_str());
    DeleteFileW(fileName.c_str());
    DeleteFileW(victim.c_str());
    DeleteFileW(notYetTaken.c_str());
    RemoveDirectoryW(outside.c_str());
    RemoveDirectoryW(target.c_str());
    RemoveDirectoryW(root.c_str());
  }

  const std::string kVictimBytes = Pattern(1024 * 1024, 7);
  std::wstring root, target, throughLink, outside, victim, notYetTaken;
  std::wstring fileName;  // the drive test's file in target
  bool ready = false;
};

void ExpectProcessorAndDriveStepLines(const std::vector<EventLine>& lines, size_t count) {
  ASSERT_EQ(lines.size(), count);
  EXPECT_EQ(lines[0].text, "{\"event\":\"start\",\"bench\":true}");
  EXPECT_EQ(lines[4].text, "{\"result\":\"cpuN\",\"values\":[1.000,1.000,1.000],\"step\":\"cpuN\"}");
  EXPECT_EQ(lines[5].text, "{\"step\":\"drive\"}");
  EXPECT_EQ(lines.back().text, "{\"event\":\"end\",\"reason\":\"done\"}");
}

// A name already taken, by whatever object, in the folder given or in the one
// a linked --dir leads to: the note, "done", exit 0, and neither the object
// nor what a link aims at is created, truncated, written or deleted. A worker
// that opens the name as it finds it overwrites and deletes the victim, or
// creates the file the dangling link names outside the folder.
TEST(BenchDriveFile, NameAlreadyTakenGivesTheNoteAndLeavesEverythingAsItWas) {
  enum class Planted { kLeftoverFile, kLinkToVictim, kDanglingLink, kLeftoverFolder };
  struct Case {
    const char* name;
    Planted planted;
    bool dirIsLink;
  } const cases[] = {
      {"leftover plain file", Planted::kLeftoverFile, false},
      {"link to a file outside the folder", Planted::kLinkToVictim, false},
      {"link to a file outside, --dir itself a link to the folder", Planted::kLinkToVictim, true},
      {"link to a name not yet taken outside the folder", Planted::kDanglingLink, false},
      {"leftover folder", Planted::kLeftoverFolder, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DriveTree tree;
    ASSERT_TRUE(tree.ready);
    const std::string leftoverBytes = Pattern(64 * 1024, 3);
    switch (c.planted) {
      case Planted::kLeftoverFile:
        ASSERT_TRUE(WriteWholeFile(tree.fileName, leftoverBytes));
        break;
      case Planted::kLinkToVictim:
        ASSERT_TRUE(PlantUnixLink(tree.fileName, tree.victim));
        break;
      case Planted::kDanglingLink:
        ASSERT_TRUE(PlantUnixLink(tree.fileName, tree.notYetTaken));
        break;
      case Planted::kLeftoverFolder:
        ASSERT_TRUE(CreateDirectoryW(tree.fileName.c_str(), nullptr));
        ASSERT_TRUE(WriteWholeFile(tree.fileName + L"\\inside.txt", leftoverBytes));
        break;
    }

    const BenchRun run = RunBenchInto(c.dirIsLink ? tree.throughLink : tree.target);
    EXPECT_EQ(run.code, 0);
    ExpectProcessorAndDriveStepLines(run.lines, 8);
    if (run.lines.size() == 8) {
      EXPECT_EQ(run.lines[6].text, "{\"event\":\"note\",\"what\":\"drive\"}");
    }

    std::string victimNow;
    EXPECT_TRUE(ReadWholeFile(tree.victim, victimNow)) << "the victim is gone";
    EXPECT_TRUE(victimNow == tree.kVictimBytes) << "the victim was changed: " << victimNow.size() << " bytes";
    EXPECT_FALSE(Exists(tree.notYetTaken)) << "a file was created outside the folder";
    std::string planted;
    switch (c.planted) {
      case Planted::kLeftoverFile:
        EXPECT_TRUE(ReadWholeFile(tree.fileName, planted) && planted == leftoverBytes) << "the leftover was changed";
        break;
      case Planted::kLinkToVictim:
      case Planted::kDanglingLink:
        EXPECT_TRUE(IsUnixLink(tree.fileName)) << "the link was removed";
        break;
      case Planted::kLeftoverFolder:
        EXPECT_TRUE(ReadWholeFile(tree.fileName + L"\\inside.txt", planted) && planted == leftoverBytes)
            << "the leftover folder was changed";
        break;
    }
  }
}

// A free name, in an ordinary folder or one reached through a link (users
// mount volumes into folders): the three results, the file made in that
// folder and gone afterwards, nothing outside touched.
TEST(BenchDriveFile, FreeNameGivesTheThreeResultsInTheFolderGiven) {
  for (const bool dirIsLink : {false, true}) {
    SCOPED_TRACE(dirIsLink ? "--dir a link to the folder" : "ordinary folder");
    DriveTree tree;
    ASSERT_TRUE(tree.ready);
    const BenchRun run = RunBenchInto(dirIsLink ? tree.throughLink : tree.target);
    EXPECT_EQ(run.code, 0);
    ExpectProcessorAndDriveStepLines(run.lines, 10);
    if (run.lines.size() == 10) {
      const char* const results[] = {"read", "write", "iops"};
      for (size_t i = 0; i < 3; ++i) {
        const nlohmann::json& line = run.lines[6 + i].json;
        SCOPED_TRACE(run.lines[6 + i].text);
        EXPECT_EQ(line.value("result", ""), results[i]);
        ASSERT_TRUE(line["values"].is_array());
        for (const nlohmann::json& value : line["values"]) EXPECT_GT(value.get<double>(), 0.0);
      }
    }
    EXPECT_TRUE(NamesInFolder(tree.target).empty()) << "the drive test left its file behind";
    EXPECT_EQ(NamesInFolder(tree.outside), std::vector<std::wstring>{L"victim.bin"});
  }
}

// The folder replaced by a link to another folder after the worker opened it,
// as a user who may rename it could do between the host's choice and the
// first file: nothing is created or written in the other folder, and the
// victim there stays as it was. Windows makes every file in the folder we
// hold and gives the three results; Wine makes it there too, then cannot read
// back what the file is, and the drive test ends with the note.
TEST(BenchDriveFile, FolderSwappedForALinkAfterItWasOpenedChangesNothingOutside) {
  DriveTree tree;
  ASSERT_TRUE(tree.ready);
  const std::wstring moved = tree.root + L"\\target-moved";
  BenchmarkEnvironment env = QuickEnvironment();
  const DriveCalls real;
  auto swapped = std::make_shared<bool>(false);
  env.drive.create = [&tree, &moved, real, swapped](HANDLE folder, const wchar_t* name) {
    if (!*swapped) {
      *swapped = MoveFileW(tree.target.c_str(), moved.c_str()) && PlantUnixLink(tree.target, tree.outside);
    }
    return real.create(folder, name);
  };
  // The file is gone once closed: where it lies is seen while it is written.
  const std::wstring name = tree.fileName.substr(tree.target.size());
  auto writesOutside = std::make_shared<int>(0);
  env.drive.write = [&tree, name, real, writesOutside](HANDLE file, const void* bytes, DWORD count, DWORD* written) {
    if (Exists(tree.outside + name)) ++*writesOutside;
    return real.write(file, bytes, count, written);
  };
  const BenchRun run = RunBenchInto(tree.target, env);
  EXPECT_TRUE(*swapped) << "the folder could not be swapped";
  EXPECT_EQ(*writesOutside, 0) << "the file was written in the folder the link leads to";
  EXPECT_EQ(run.code, 0);
  const size_t count = run.lines.size() == 8 ? 8 : 10;  // the note, or the three results
  ExpectProcessorAndDriveStepLines(run.lines, count);
  std::string victimNow;
  EXPECT_TRUE(ReadWholeFile(tree.victim, victimNow) && victimNow == tree.kVictimBytes) << "the victim was changed";
  EXPECT_EQ(NamesInFolder(tree.outside), std::vector<std::wstring>{L"victim.bin"}) << "a file was made outside";

  RemoveUnixLink(tree.target);
  // Wine deletes a file on close by the name it was opened with, which now
  // leads through the link: its empty file stays in the moved folder.
  DeleteFileW((moved + name).c_str());
  RemoveDirectoryW(moved.c_str());
}

// Each check on what the create made: the file is written only when it is a
// plain file on the held folder's volume and both answered.
TEST(BenchDriveFile, OnlyAPlainFileOnTheFoldersVolumeIsOurs) {
  const DriveObjectInfo folder{true, FILE_ATTRIBUTE_DIRECTORY, 0x5A000000};
  const DriveObjectInfo file{true, FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_ARCHIVE, 0x5A000000};
  struct Case {
    const char* name;
    DriveObjectInfo folder;
    DriveObjectInfo file;
    bool ours;
  } const cases[] = {
      {"plain file in the folder", folder, file, true},
      {"folder did not answer", {false, FILE_ATTRIBUTE_DIRECTORY, 0x5A000000}, file, false},
      {"file did not answer", folder, {false, FILE_ATTRIBUTE_TEMPORARY, 0x5A000000}, false},
      {"held object is no folder", {true, FILE_ATTRIBUTE_NORMAL, 0x5A000000}, file, false},
      {"file is a folder", folder, {true, FILE_ATTRIBUTE_DIRECTORY, 0x5A000000}, false},
      {"file is a reparse point", folder, {true, FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_TEMPORARY, 0x5A000000},
       false},
      {"file on another volume", folder, {true, FILE_ATTRIBUTE_TEMPORARY, 0x5A000001}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(DriveFileIsOurs(c.folder, c.file), c.ours);
  }
}

}  // namespace
