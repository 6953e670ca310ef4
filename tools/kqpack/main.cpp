// kqpack: the publisher's archive tool. Creates patch archives (central headers
// scrambled with the header key table unless --plain) and lists, unpacks and checks
// them through the same reader the launcher uses, so what kqpack accepts is what a
// player's launcher accepts. "release" writes a whole server folder from the
// publisher's version folders (Release.h); "verify" checks one (ServerCheck.h).
// "keygen" makes the publisher's signing key, "release --sign" signs every file it
// writes and "verify --key" checks the signatures (ReleaseSigner.h); kqpack.exe only
// checks them: the private key stays with the native tool on the publishing machine.
//
// Exit status: 0 on success, 1 when the work failed (with one line on stderr naming
// the archive, the entry and the reason; verify: one line per problem), 2 for a wrong
// command line (one line on stderr). Help goes to stdout with status 0.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#ifdef _WIN32
#include <direct.h>
#define KQ_CHDIR _chdir
#else
#include <unistd.h>
#define KQ_CHDIR chdir
#endif

#include "FolderWalk.h"
#include "ProgressLine.h"
#include "Release.h"
#include "ReleaseSigner.h"
#include "ServerCheck.h"
#include "ZipWriter.h"
#include "zip/ZipArchive.h"
#include "zip/ZipPathComponent.h"
#include "zip/ZipPlatform.h"
#include "zip/ZipUnpacker.h"

namespace {

const int kExitOk = 0;
const int kExitFailed = 1;
const int kExitUsage = 2;
const size_t kBufferSize = 65536;

const char kUsage[] =
    "usage: kqpack create ARCHIVE DIR [--plain] [--codepage N] | list ARCHIVE | extract ARCHIVE DEST"
    " | test ARCHIVE | keygen KEY_FILE"
    " | release OUT_DIR CURRENT_DIR [OLDER_DIR ...] [--base N] [--codepage N] [--sign KEY_FILE]"
    " | verify SERVER_DIR [--from VERSION_DIR ...] [--codepage N] [--key HEX] | help";

const char kHelp[] =
    "usage:\n"
    "  kqpack create ARCHIVE DIR [--plain] [--codepage N]\n"
    "                                        pack DIR (scrambled central directory unless --plain)\n"
    "  kqpack list ARCHIVE                   size and name of every entry\n"
    "  kqpack extract ARCHIVE DEST           unpack as the launcher does\n"
    "  kqpack test ARCHIVE                   read every entry and check its CRC\n"
    "  kqpack keygen KEY_FILE                make a signing key (native kqpack only)\n"
    "  kqpack release OUT_DIR CURRENT_DIR [OLDER_DIR ...] [--base N] [--codepage N]\n"
    "                 [--sign KEY_FILE]      write the server folder OUT_DIR/ClientPatchFiles_ZV\n"
    "  kqpack verify SERVER_DIR [--from VERSION_DIR ...] [--codepage N] [--key HEX]\n"
    "                                        check a server folder as the launcher will see it\n"
    "  kqpack help, kqpack --help            this text\n"
    "\n"
    "Names: entries are marked as made by Windows, so the launcher takes a name's bytes\n"
    "as they are, in the player's code page. kqpack writes every name in the target code\n"
    "page, 949 (the Korean edition's) unless --codepage N names another; a name that it\n"
    "cannot hold is refused. The native kqpack reads file names as UTF-8, kqpack.exe in\n"
    "the system's code page.\n"
    "\n"
    "release: each DIR is a version folder: the game folder of one version, identified by\n"
    "the first 12 bytes of its KQVerInfo.ver (4-character prefix, 8 digits), with the\n"
    "content of each pack file <pack>.pak unpacked under 3DData/<pack>/. A file in\n"
    "3DData/<pack>/ is a member of that pack by its place: it is shipped there, where the\n"
    "launcher stages it and folds it into <pack>.pak. A folder inside 3DData/<pack>/ is\n"
    "refused (the launcher would make it a pack of its own), and so is a file directly in\n"
    "3DData/. Every other file is a loose file, shipped at its own path. KQAutoPatch.exe\n"
    "is shipped as KQAutoPatch.new, which the update finisher swaps in.\n"
    "Not shipped: KQVerInfo.ver and a <prefix>KQVerInfo_New.ver at the top, and the\n"
    "files of the player's own machine: AutopatchOption.opt (launch options),\n"
    "ZVPatchLog.txt (patch log), NorvGFunc.dll (the launcher copies the build for each\n"
    "player's processor there), NorvGFunc.new, downloaded *.kqp archives and interrupted\n"
    "downloads (*.kqp.partial, *.kqp.validator) at the top,\n"
    "and an extraction's temporaries (*.kqpart, *.kqpartN) anywhere.\n"
    "Written: <prefix>KQVerInfo_New.ver (current version, a space, the base number), one\n"
    "archive <older version>.kqp per OLDER_DIR with the files added or changed since that\n"
    "version (byte comparison), and the full archive <prefix>00000000.kqp with every file;\n"
    "each archive holds the record at its root. The base number is 00000000 unless\n"
    "--base N gives one: a client below it is told it is too old, and a client at or above\n"
    "it with no archive of its own falls back to the full archive. A base above the current\n"
    "version or above an OLDER_DIR's version is refused. Before the server folder is put\n"
    "in place, it is checked as verify checks it, with every OLDER_DIR. Files of other\n"
    "editions already in the server folder stay; this edition's old files are replaced.\n"
    "Nothing changes when the release fails.\n"
    "\n"
    "verify: SERVER_DIR is the folder ClientPatchFiles_ZV or a folder that holds it. For\n"
    "every record <prefix>KQVerInfo_New.ver: it is 21 bytes with a version string and a\n"
    "base number; the full archive exists; no archive is named after a version below the\n"
    "base or not below the current version; every archive opens as the launcher opens\n"
    "it, every entry's name is one the launcher unpacks where its place says, every\n"
    "entry's CRC is right, and its root holds the record with the server's bytes. With\n"
    "--from, the version folders (one of them of the current version) are patched as the\n"
    "launcher would patch them, packs as their 3DData/<pack>/ folders, and the result is\n"
    "compared with the current version folder byte for byte; files that the current\n"
    "version no longer has stay on players' machines and are noted on stdout.\n"
    "Exit status 0 when everything holds; otherwise one line per problem on stderr and 1.\n"
    "\n"
    "Signatures: a launcher built with the publisher's public key (the CMake setting\n"
    "KQ_RELEASE_PUBLIC_KEY) uses a record or an archive only when the file <name>.sig\n"
    "beside it holds a signature that verifies with that key: ECDSA P-256 over the\n"
    "SHA-256 of the file's bytes, 64 bytes, r then s, each 32 bytes big-endian.\n"
    "keygen writes a new private key to KEY_FILE as PEM, readable by its owner only (an\n"
    "existing file is never replaced), and prints the public key: 128 hexadecimal digits,\n"
    "X then Y. Keep KEY_FILE safe: whoever has it can sign releases every launcher runs.\n"
    "release --sign KEY_FILE writes <name>.sig beside the record and every archive, and\n"
    "checks them with the key's public half before the folder is put in place; KEY_FILE\n"
    "must hold an unencrypted P-256 private key in PEM form (kqpack keygen's, or\n"
    "openssl's \"genpkey -algorithm EC -pkeyopt ec_paramgen_curve:P-256\").\n"
    "verify --key HEX also checks, for every record and archive, that its .sig exists, has\n"
    "64 bytes and verifies with the public key HEX; without --key signatures are not read.\n"
    "kqpack.exe checks signatures; keygen and release --sign are the native kqpack's.\n";

// A wrong command line: one line on stderr.
int UsageError(const std::string& reason) {
  if (reason.empty()) {
    std::fprintf(stderr, "%s\n", kUsage);
  } else {
    std::fprintf(stderr, "kqpack: %s (kqpack help shows the usage)\n", reason.c_str());
  }
  return kExitUsage;
}

int Help() {
  std::fputs(kHelp, stdout);
  return kExitOk;
}

// The command line after the command: plain arguments and the options that the
// command takes. "--from" takes every plain argument after it.
struct Arguments {
  std::vector<std::string> plain;
  bool scrambled = true;
  CNameCodePage names;
  int base = 0;
  bool fromGiven = false;
  std::vector<std::string> from;
  std::string signKeyFile;  // --sign: the private key's PEM file
  bool keyGiven = false;    // --key: the public key that signatures must verify with
  unsigned char key[RELEASE_KEY_SIZE] = {};
  std::string error;  // empty when the command line is right
};

bool ParseNumber(const std::string& text, int digits, int& value) {
  if (text.empty() || text.size() > (size_t)digits) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  value = std::stoi(text);
  return true;
}

// Reads the options that allowed lists ("--plain", "--codepage", "--base", "--from",
// "--sign", "--key").
Arguments ParseArguments(const std::vector<std::string>& args, const std::vector<std::string>& allowed) {
  Arguments parsed;
  auto takes = [&](const std::string& option) {
    return std::find(allowed.begin(), allowed.end(), option) != allowed.end();
  };
  for (size_t i = 1; i < args.size() && parsed.error.empty(); ++i) {
    const std::string& arg = args[i];
    if (arg.compare(0, 2, "--") != 0) {
      (parsed.fromGiven ? parsed.from : parsed.plain).push_back(arg);
    } else if (!takes(arg)) {
      parsed.error = "unknown option " + arg + " for " + args[0];
    } else if (arg == "--plain") {
      parsed.scrambled = false;
    } else if (arg == "--from") {
      parsed.fromGiven = true;
    } else if (arg == "--sign") {
      if (i + 1 >= args.size() || args[i + 1].empty()) {
        parsed.error = "--sign needs the key file";
      } else {
        parsed.signKeyFile = args[++i];
      }
    } else if (arg == "--key") {
      if (i + 1 >= args.size()) {
        parsed.error = "--key needs the public key (128 hexadecimal digits)";
      } else if (!ParseReleaseKey(args[++i].c_str(), parsed.key)) {
        parsed.error = "--key " + args[i] + ": not a public key of 128 hexadecimal digits";
      } else {
        parsed.keyGiven = true;
      }
    } else if (i + 1 >= args.size()) {
      parsed.error = arg + " needs a number";
    } else {
      int value = 0;
      const std::string& number = args[++i];
      if (arg == "--codepage") {
        if (!ParseNumber(number, 5, value) || !CNameCodePage(value).IsKnown()) {
          parsed.error = "code page " + number + " is not one this system can convert names to";
        }
        parsed.names = CNameCodePage(value);
      } else if (!ParseNumber(number, 8, value)) {
        parsed.error = "--base " + number + ": not a number of up to 8 digits";
      } else {
        parsed.base = value;
      }
    }
  }
  if (parsed.error.empty() && parsed.fromGiven && parsed.from.empty()) parsed.error = "--from needs version folders";
  return parsed;
}

#ifdef _WIN32
// Signing needs the private key, which only the native kqpack reads.
int SignedNatively(const std::string& command) {
  std::fprintf(stderr, "kqpack: %s: signing is done by the native kqpack; kqpack.exe only checks signatures (verify --key)\n",
               command.c_str());
  return kExitUsage;
}
#endif

int Keygen(const std::string& keyFile) {
#ifdef _WIN32
  (void)keyFile;
  return SignedNatively("keygen");
#else
  unsigned char publicKey[RELEASE_KEY_SIZE];
  std::string error;
  if (!CReleaseSigner::GenerateKey(keyFile, publicKey, error)) {
    std::fprintf(stderr, "kqpack: %s\n", error.c_str());
    return kExitFailed;
  }
  char hex[2 * RELEASE_KEY_SIZE + 1];
  FormatReleaseKey(publicKey, hex);
  std::printf("%s\n", hex);
  return kExitOk;
#endif
}

int Release(const Arguments& arguments) {
  CRelease release;
  CRelease::Options options;
  options.base = arguments.base;
  options.names = arguments.names;
#ifdef _WIN32
  if (!arguments.signKeyFile.empty()) return SignedNatively("release --sign");
#else
  // The key is read before anything is written: a wrong key changes nothing.
  CReleaseSigner signer;
  std::string keyError;
  if (!arguments.signKeyFile.empty()) {
    if (!signer.Load(arguments.signKeyFile, keyError)) {
      std::fprintf(stderr, "kqpack: %s\n", keyError.c_str());
      return kExitFailed;
    }
    options.signer = &signer;
  }
#endif
  const std::vector<std::string>& plain = arguments.plain;
  if (!release.Run(plain[0], plain[1], std::vector<std::string>(plain.begin() + 2, plain.end()), options)) {
    std::fprintf(stderr, "kqpack: %s\n", release.GetError().c_str());
    return kExitFailed;
  }
  for (const std::string& name : release.GetWritten()) {
    std::printf("%s/%s/%s\n", plain[0].c_str(), CServerFolder::kName, name.c_str());
  }
  for (const std::string& note : release.GetNotes()) std::printf("note: %s\n", note.c_str());
  return kExitOk;
}

// The server folder itself, or ClientPatchFiles_ZV inside the folder given.
std::string ServedFolder(const std::string& given) {
  const std::string inner = given + "/" + CServerFolder::kName;
  return ZipPlatform::IsDirectory(inner.c_str()) ? inner : given;
}

int Verify(const Arguments& arguments) {
  const std::string folder = ServedFolder(arguments.plain[0]);
  if (!ZipPlatform::IsDirectory(folder.c_str())) {
    std::fprintf(stderr, "kqpack: %s: not a folder\n", folder.c_str());
    return kExitFailed;
  }
  std::vector<CVersionFolder> versions(arguments.from.size());
  std::vector<const CVersionFolder*> loaded;
  for (size_t i = 0; i < arguments.from.size(); ++i) {
    if (!versions[i].Load(arguments.from[i])) {
      std::fprintf(stderr, "kqpack: %s\n", versions[i].GetError().c_str());
      return kExitFailed;
    }
    loaded.push_back(&versions[i]);
  }
  CServerCheck check;
  if (arguments.keyGiven) check.CheckSignatures(arguments.key);
  const bool ok = check.Run(folder, folder, loaded, "", arguments.names);
  for (const std::string& note : check.GetNotes()) std::printf("note: %s\n", note.c_str());
  for (const std::string& problem : check.GetProblems()) std::fprintf(stderr, "kqpack: %s\n", problem.c_str());
  if (ok) std::printf("%s: verified\n", folder.c_str());
  return ok ? kExitOk : kExitFailed;
}

int Report(const std::string& archive, const std::string& entry, const char* reason) {
  if (entry.empty()) {
    std::fprintf(stderr, "kqpack: %s: %s\n", archive.c_str(), reason);
  } else {
    std::fprintf(stderr, "kqpack: %s: %s: %s\n", archive.c_str(), entry.c_str(), reason);
  }
  return kExitFailed;
}

int ReportFailure(const std::string& archive, const CZipArchive& zip) {
  const CZipException& failure = zip.GetLastFailure();
  return Report(archive, failure.m_szFileName == archive ? "" : failure.m_szFileName, failure.GetCauseText());
}

bool OpenArchive(CZipArchive& zip, const std::string& archive) {
  return zip.Open(archive.c_str(), CZipArchive::zipOpenReadOnly);
}

int Create(const std::string& archive, const std::string& folder, bool scrambled, const CNameCodePage& names) {
  if (!ZipPlatform::IsDirectory(folder.c_str())) return Report(folder, "", "not a folder");
  CZipWriter writer;
  if (!writer.Create(archive, scrambled, names)) return Report(archive, "", writer.GetError().c_str());
  CFolderWalk walk;
  if (!walk.Walk(folder)) {
    writer.Abandon();
    return Report(archive, "", walk.GetError().c_str());
  }
  const std::string archiveFull = CFolderWalk::FullPath(archive);
  const std::string writingFull = CFolderWalk::FullPath(writer.GetWritingPath());
  CProgressLine progress("packing");
  int done = 0;
  uint64_t bytes = 0;
  const int total = (int)walk.GetItems().size();
  for (const PackItem& item : walk.GetItems()) {
    if (!item.isFolder && (CFolderWalk::FullPath(item.diskPath) == archiveFull ||
                           CFolderWalk::FullPath(item.diskPath) == writingFull)) {
      continue;
    }
    std::string reason;
    if (!CZipWriter::CheckName(item.name, names, reason)) {
      writer.Abandon();
      return Report(archive, item.name, reason.c_str());
    }
    bool added = item.isFolder ? writer.AddFolder(item.name, item.attributes, item.modified)
                               : writer.AddFile(item.diskPath, item.name, item.attributes, item.modified);
    if (!added) {
      writer.Abandon();
      return Report(archive, item.name, writer.GetError().c_str());
    }
    bytes += item.size;
    progress.Update(++done, total, bytes);
  }
  if (!writer.Finish()) {
    writer.Abandon();
    return Report(archive, "", writer.GetError().c_str());
  }
  return kExitOk;
}

int List(const std::string& archive) {
  CZipArchive zip;
  if (!OpenArchive(zip, archive)) return ReportFailure(archive, zip);
  CZipFileHeader header;
  for (int i = 0; i < zip.GetCount(); ++i) {
    if (!zip.GetFileInfo(header, i)) return Report(archive, "", "cannot read entry header");
    std::printf("%lu\t%s\n", (unsigned long)header.GetSize(), header.GetFileName());
  }
  return kExitOk;
}

// Unpacks like the launcher, through the same routine: from inside DEST, each
// entry's stored path, then the temporaries of an interrupted earlier unpacking go.
int Extract(const std::string& archive, const std::string& destination) {
  CZipArchive zip;
  if (!OpenArchive(zip, archive)) return ReportFailure(archive, zip);
  if (!ZipPlatform::MakeDirectoryTree(destination) || KQ_CHDIR(destination.c_str()) != 0) {
    return Report(archive, "", (destination + ": cannot enter folder").c_str());
  }
  CProgressLine progress("extracting");
  CZipUnpacker unpacker(zip);
  CZipFileHeader header;
  uint64_t bytes = 0;
  const int count = zip.GetCount();
  for (int i = 0; i < count; ++i) {
    if (!zip.GetFileInfo(header, i)) return Report(archive, "", "cannot read entry header");
    if (!unpacker.UnpackEntry(i)) return ReportFailure(archive, zip);
    bytes += header.GetSize();
    progress.Update(i + 1, count, bytes);
  }
  unpacker.RemoveLeftovers();
  return kExitOk;
}

// Reads every entry to its end and checks its CRC; writes nothing. Names that
// extraction would refuse fail here too.
int Test(const std::string& archive) {
  CZipArchive zip;
  if (!OpenArchive(zip, archive)) return ReportFailure(archive, zip);
  std::vector<unsigned char> buffer(kBufferSize);
  CProgressLine progress("testing");
  CZipFileHeader header;
  uint64_t bytes = 0;
  const int count = zip.GetCount();
  for (int i = 0; i < count; ++i) {
    if (!zip.GetFileInfo(header, i)) return Report(archive, "", "cannot read entry header");
    if (!CZipPathComponent::IsSafeEntryName(header.m_pszFileName.GetBuffer(), header.GetFileNameLength())) {
      return Report(archive, header.GetFileName(), CZipException::GetCauseText(CZipException::unsafeName));
    }
    if (header.IsDirectory()) continue;
    if (!zip.OpenFile(i)) return ReportFailure(archive, zip);
    while (zip.ReadFile(buffer.data(), buffer.size()) == buffer.size()) {
    }
    if (zip.CloseFile() != CZipArchive::closeOk) return ReportFailure(archive, zip);
    bytes += header.GetSize();
    progress.Update(i + 1, count, bytes);
  }
  return kExitOk;
}

// Runs the command with its arguments; a wrong count or option is a usage error.
int RunCommand(const std::vector<std::string>& args) {
  const std::string& command = args[0];
  Arguments parsed;
  if (command == "create") {
    parsed = ParseArguments(args, {"--plain", "--codepage"});
    if (parsed.error.empty() && parsed.plain.size() == 2) {
      return Create(parsed.plain[0], parsed.plain[1], parsed.scrambled, parsed.names);
    }
  } else if (command == "list" || command == "test" || command == "extract") {
    parsed = ParseArguments(args, {});
    const size_t wanted = command == "extract" ? 2 : 1;
    if (parsed.error.empty() && parsed.plain.size() == wanted) {
      if (command == "list") return List(parsed.plain[0]);
      if (command == "test") return Test(parsed.plain[0]);
      return Extract(parsed.plain[0], parsed.plain[1]);
    }
  } else if (command == "keygen") {
    parsed = ParseArguments(args, {});
    if (parsed.error.empty() && parsed.plain.size() == 1) return Keygen(parsed.plain[0]);
  } else if (command == "release") {
    parsed = ParseArguments(args, {"--base", "--codepage", "--sign"});
    if (parsed.error.empty() && parsed.plain.size() >= 2) return Release(parsed);
  } else if (command == "verify") {
    parsed = ParseArguments(args, {"--from", "--codepage", "--key"});
    if (parsed.error.empty() && parsed.plain.size() == 1) return Verify(parsed);
  } else if ((command == "help" || command == "--help") && args.size() == 1) {
    return Help();
  }
  return UsageError(parsed.error);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) return UsageError("");
  return RunCommand(args);
}
