// tansel_rc: the build's resource compiler on this platform (rc.exe compiles the same files for
// Windows). It reads a resource script and writes a C++ source whose one array is the module's
// resource note (layout in platform/posix/resource_format.h); linking that source into a module
// gives it its resources.
//
//   tansel_rc SCRIPT OUTPUT.cpp [DEPFILE]
//
// The script is a subset of the .rc language:
//
//   // and /* */ comments
//   NAME VERSIONINFO  fixed-info statements  BEGIN blocks END
//       fixed-info: FILEVERSION a,b,c,d | PRODUCTVERSION a,b,c,d | FILEFLAGSMASK n | FILEFLAGS n |
//                   FILEOS n | FILETYPE n | FILESUBTYPE n
//       blocks:     BLOCK "key" BEGIN blocks END | VALUE "key", "text" | VALUE "key", n, n, ...
//   NAME TYPE "file"            a resource holding a file's bytes (path relative to the script)
//   NAME TYPE BEGIN data END    raw data: "strings" (no zero added), n (16 bits), nL (32 bits)
//
// NAME and TYPE are numbers (1 to 65535) or words (kept upper case); TYPE may be RCDATA (10);
// VS_VERSION_INFO is 1. BEGIN and END may be written { and }. Numbers are decimal or 0x hex, with
// an optional L. Strings take "" for a quote and the escapes \n \t \r \0 \\ \" \xHH. Anything else
// (#include, #define, expressions) is an error.
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "platform/posix/resource_format.h"

namespace {

[[noreturn]] void Fail(const std::string& where, const std::string& message) {
  std::fprintf(stderr, "%s: error: %s\n", where.c_str(), message.c_str());
  std::exit(1);
}

enum class Kind { kWord, kNumber, kString, kComma, kBegin, kEnd, kEndOfFile };

struct Token {
  Kind kind;
  std::string text;     // the word, or the string's bytes
  uint32_t number = 0;  // the number's value
  bool isLong = false;  // the number had an L suffix
  int line = 0;
};

class Lexer {
 public:
  Lexer(std::string text, std::string file) : text_(std::move(text)), file_(std::move(file)) {}

  std::string Where(int line) const { return file_ + ":" + std::to_string(line); }

  Token Next() {
    SkipBlanks();
    Token token{Kind::kEndOfFile, "", 0, false, line_};
    if (at_ >= text_.size()) return token;
    const char c = text_[at_];
    if (c == ',') {
      ++at_;
      token.kind = Kind::kComma;
    } else if (c == '{') {
      ++at_;
      token.kind = Kind::kBegin;
    } else if (c == '}') {
      ++at_;
      token.kind = Kind::kEnd;
    } else if (c == '"') {
      token.kind = Kind::kString;
      token.text = ReadString();
    } else if (c >= '0' && c <= '9') {
      token.kind = Kind::kNumber;
      ReadNumber(&token);
    } else if (IsWordChar(c)) {
      size_t end = at_;
      while (end < text_.size() && IsWordChar(text_[end])) ++end;
      token.text = text_.substr(at_, end - at_);
      at_ = end;
      token.kind = token.text == "BEGIN" ? Kind::kBegin
                   : token.text == "END" ? Kind::kEnd
                                         : Kind::kWord;
    } else {
      Fail(Where(line_), std::string("unexpected character '") + c + "'");
    }
    return token;
  }

 private:
  static bool IsWordChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
  }

  void SkipBlanks() {
    while (at_ < text_.size()) {
      const char c = text_[at_];
      if (c == '\n') {
        ++line_;
        ++at_;
      } else if (c == ' ' || c == '\t' || c == '\r') {
        ++at_;
      } else if (text_.compare(at_, 2, "//") == 0) {
        while (at_ < text_.size() && text_[at_] != '\n') ++at_;
      } else if (text_.compare(at_, 2, "/*") == 0) {
        const size_t end = text_.find("*/", at_ + 2);
        if (end == std::string::npos) Fail(Where(line_), "unterminated comment");
        for (size_t i = at_; i < end; ++i) line_ += text_[i] == '\n';
        at_ = end + 2;
      } else if (c == '#') {
        Fail(Where(line_), "preprocessor lines are not supported");
      } else {
        return;
      }
    }
  }

  void ReadNumber(Token* token) {
    const char* start = text_.c_str() + at_;
    char* end = nullptr;
    const unsigned long long value = std::strtoull(start, &end, 0);
    if (value > 0xFFFFFFFFull) Fail(Where(line_), "number out of range");
    at_ += static_cast<size_t>(end - start);
    if (at_ < text_.size() && (text_[at_] == 'L' || text_[at_] == 'l')) {
      token->isLong = true;
      ++at_;
    }
    if (at_ < text_.size() && IsWordChar(text_[at_])) Fail(Where(line_), "malformed number");
    token->number = static_cast<uint32_t>(value);
  }

  std::string ReadString() {
    std::string bytes;
    ++at_;  // the opening quote
    for (;;) {
      if (at_ >= text_.size() || text_[at_] == '\n') Fail(Where(line_), "unterminated string");
      const char c = text_[at_++];
      if (c == '"') {
        if (at_ < text_.size() && text_[at_] == '"') {
          bytes += '"';
          ++at_;
          continue;
        }
        return bytes;
      }
      if (c != '\\') {
        bytes += c;
        continue;
      }
      if (at_ >= text_.size()) Fail(Where(line_), "unterminated string");
      const char e = text_[at_++];
      switch (e) {
        case 'n':
          bytes += '\n';
          break;
        case 't':
          bytes += '\t';
          break;
        case 'r':
          bytes += '\r';
          break;
        case '0':
          bytes += '\0';
          break;
        case '\\':
          bytes += '\\';
          break;
        case '"':
          bytes += '"';
          break;
        case 'x': {
          int value = 0, digits = 0;
          while (digits < 2 && at_ < text_.size() &&
                 std::isxdigit(static_cast<unsigned char>(text_[at_]))) {
            const char h = text_[at_++];
            value = value * 16 + (h <= '9' ? h - '0' : (h | 0x20) - 'a' + 10);
            ++digits;
          }
          if (digits == 0) Fail(Where(line_), "\\x without hex digits");
          bytes += static_cast<char>(value);
          break;
        }
        default:
          Fail(Where(line_), std::string("unknown escape \\") + e);
      }
    }
  }

  std::string text_;
  std::string file_;
  size_t at_ = 0;
  int line_ = 1;
};

// A type or name: an integer, or an upper-case word.
struct Id {
  uint32_t number = 0;  // when word is empty
  std::string word;
};

struct Resource {
  Id type;
  Id name;
  std::vector<uint8_t> data;
  int line;
};

struct VersionTree {
  std::string key;
  bool text = false;
  std::vector<uint8_t> value;
  std::vector<VersionTree> children;
};

void Put16(std::vector<uint8_t>* out, uint32_t v) {
  out->push_back(static_cast<uint8_t>(v));
  out->push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>* out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}
void Pad4(std::vector<uint8_t>* out) {
  while (out->size() % 4 != 0) out->push_back(0);
}

class Parser {
 public:
  Parser(Lexer* lexer, std::string directory) : lexer_(lexer), directory_(std::move(directory)) {
    Advance();
  }

  std::vector<Resource> ParseFile() {
    std::vector<Resource> resources;
    while (token_.kind != Kind::kEndOfFile) {
      Resource resource;
      resource.line = token_.line;
      resource.name = ParseId("resource name");
      if (token_.kind == Kind::kWord && token_.text == "VERSIONINFO") {
        Advance();
        resource.type.number = 16;
        resource.data = ParseVersionInfo();
      } else {
        resource.type = ParseId("resource type");
        if (resource.type.word == "RCDATA") resource.type = Id{10, ""};
        resource.data = token_.kind == Kind::kString ? ReadFile() : ParseRawData();
      }
      for (const Resource& other : resources) {
        if (other.type.number == resource.type.number && other.type.word == resource.type.word &&
            other.name.number == resource.name.number && other.name.word == resource.name.word) {
          ::Fail(lexer_->Where(resource.line), "duplicate resource");
        }
      }
      resources.push_back(std::move(resource));
    }
    return resources;
  }

 private:
  void Advance() { token_ = lexer_->Next(); }

  [[noreturn]] void Fail(const std::string& message) const {
    ::Fail(lexer_->Where(token_.line), message);
  }

  void Expect(Kind kind, const char* what) {
    if (token_.kind != kind) Fail(std::string("expected ") + what);
    Advance();
  }

  Id ParseId(const char* what) {
    Id id;
    if (token_.kind == Kind::kNumber) {
      if (token_.number == 0 || token_.number > 0xFFFF) Fail(std::string(what) + " out of range");
      id.number = token_.number;
    } else if (token_.kind == Kind::kWord) {
      if (token_.text == "VS_VERSION_INFO") {
        id.number = 1;
      } else {
        for (char c : token_.text)
          id.word += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      }
    } else {
      Fail(std::string("expected ") + what);
    }
    Advance();
    return id;
  }

  uint32_t ParseNumber() {
    if (token_.kind != Kind::kNumber) Fail("expected a number");
    const uint32_t value = token_.number;
    Advance();
    return value;
  }

  std::vector<uint8_t> ReadFile() {
    if (token_.text.empty()) Fail("empty file name");
    const std::string path = token_.text[0] == '/' ? token_.text : directory_ + token_.text;
    std::ifstream in(path, std::ios::binary);
    if (!in) Fail("cannot read " + path);
    dependencies.push_back(path);
    Advance();
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
  }

  std::vector<uint8_t> ParseRawData() {
    Expect(Kind::kBegin, "BEGIN or a file name");
    std::vector<uint8_t> data;
    while (token_.kind != Kind::kEnd) {
      if (token_.kind == Kind::kString) {
        data.insert(data.end(), token_.text.begin(), token_.text.end());
      } else if (token_.kind == Kind::kNumber) {
        if (token_.isLong) {
          Put32(&data, token_.number);
        } else {
          if (token_.number > 0xFFFF) Fail("a 16-bit number is out of range (add L)");
          Put16(&data, token_.number);
        }
      } else {
        Fail("expected a string, a number or END");
      }
      Advance();
      if (token_.kind == Kind::kComma) Advance();
    }
    Advance();
    return data;
  }

  std::vector<uint8_t> ParseVersionInfo() {
    uint32_t fixed[13] = {0xFEEF04BDu, 0x00010000u};
    while (token_.kind == Kind::kWord) {
      const std::string statement = token_.text;
      Advance();
      if (statement == "FILEVERSION" || statement == "PRODUCTVERSION") {
        uint32_t parts[4] = {0, 0, 0, 0};
        for (int i = 0; i < 4; ++i) {
          if (i > 0) {
            if (token_.kind != Kind::kComma) break;
            Advance();
          }
          parts[i] = ParseNumber();
          if (parts[i] > 0xFFFF) Fail("version part out of range");
        }
        const int at = statement == "FILEVERSION" ? 2 : 4;
        fixed[at] = parts[0] << 16 | parts[1];
        fixed[at + 1] = parts[2] << 16 | parts[3];
      } else {
        static const char* const kSingles[] = {"FILEFLAGSMASK", "FILEFLAGS", "FILEOS", "FILETYPE",
                                               "FILESUBTYPE"};
        int at = -1;
        for (int i = 0; i < 5; ++i) {
          if (statement == kSingles[i]) at = 6 + i;
        }
        if (at < 0) Fail("unknown VERSIONINFO statement " + statement);
        fixed[at] = ParseNumber();
      }
    }
    VersionTree root;
    root.key = "VS_VERSION_INFO";
    for (uint32_t v : fixed) Put32(&root.value, v);
    root.children = ParseBlockBody();
    std::vector<uint8_t> out;
    Write(root, &out);
    return out;
  }

  std::vector<VersionTree> ParseBlockBody() {
    Expect(Kind::kBegin, "BEGIN");
    std::vector<VersionTree> children;
    while (token_.kind != Kind::kEnd) {
      if (token_.kind != Kind::kWord || (token_.text != "BLOCK" && token_.text != "VALUE")) {
        Fail("expected BLOCK, VALUE or END");
      }
      const bool block = token_.text == "BLOCK";
      Advance();
      VersionTree node;
      if (token_.kind != Kind::kString) Fail("expected a key string");
      node.key = token_.text;
      if (node.key.find('\0') != std::string::npos || node.key.find('\\') != std::string::npos) {
        Fail("a key may hold neither a zero nor a backslash");
      }
      Advance();
      if (block) {
        node.children = ParseBlockBody();
      } else {
        Expect(Kind::kComma, "a comma after the key");
        if (token_.kind == Kind::kString) {
          node.text = true;
          node.value.assign(token_.text.begin(), token_.text.end());
          node.value.push_back(0);
          Advance();
        } else {
          for (;;) {
            const bool isLong = token_.isLong;
            const uint32_t n = ParseNumber();
            if (isLong) {
              Put32(&node.value, n);
            } else {
              if (n > 0xFFFF) Fail("a 16-bit number is out of range (add L)");
              Put16(&node.value, n);
            }
            if (token_.kind != Kind::kComma) break;
            Advance();
          }
        }
      }
      children.push_back(std::move(node));
    }
    Advance();
    return children;
  }

  // Lays a node out as resource_format.h describes, boundaries counted from the block's start.
  void Write(const VersionTree& node, std::vector<uint8_t>* out) {
    Pad4(out);
    const size_t start = out->size();
    Put16(out, 0);  // length, filled in below
    Put16(out, static_cast<uint32_t>(node.value.size()));
    Put16(out, node.text ? kVersionText : kVersionBinary);
    out->insert(out->end(), node.key.begin(), node.key.end());
    out->push_back(0);
    Pad4(out);
    out->insert(out->end(), node.value.begin(), node.value.end());
    for (const VersionTree& child : node.children) Write(child, out);
    const size_t length = out->size() - start;
    if (length > 0xFFFF || node.value.size() > 0xFFFF) Fail("version block larger than 64 KiB");
    (*out)[start] = static_cast<uint8_t>(length);
    (*out)[start + 1] = static_cast<uint8_t>(length >> 8);
  }

  Lexer* lexer_;
  std::string directory_;
  Token token_;

 public:
  std::vector<std::string> dependencies;  // files the resources were read from
};

// The resource directory, then the note around it.
std::vector<uint8_t> BuildNote(const std::vector<Resource>& resources) {
  std::vector<uint8_t> names;
  const size_t table = sizeof(ResourceDirectory) + resources.size() * sizeof(ResourceEntry);
  auto nameOffset = [&](const Id& id) -> uint32_t {
    if (id.word.empty()) return 0;
    const size_t offset = table + names.size();
    names.insert(names.end(), id.word.begin(), id.word.end());
    names.push_back(0);
    return static_cast<uint32_t>(offset);
  };
  std::vector<uint8_t> entries;
  Put32(&entries, kResourceMagic);
  Put32(&entries, static_cast<uint32_t>(resources.size()));
  std::vector<uint32_t> typeNames, nameNames;
  for (const Resource& r : resources) {
    typeNames.push_back(nameOffset(r.type));
    nameNames.push_back(nameOffset(r.name));
  }
  size_t dataAt = table + names.size();
  for (size_t i = 0; i < resources.size(); ++i) {
    dataAt = (dataAt + 3) & ~size_t{3};
    Put32(&entries, resources[i].type.number);
    Put32(&entries, typeNames[i]);
    Put32(&entries, resources[i].name.number);
    Put32(&entries, nameNames[i]);
    Put32(&entries, static_cast<uint32_t>(dataAt));
    Put32(&entries, static_cast<uint32_t>(resources[i].data.size()));
    dataAt += resources[i].data.size();
  }
  std::vector<uint8_t> directory = entries;
  directory.insert(directory.end(), names.begin(), names.end());
  for (const Resource& r : resources) {
    Pad4(&directory);
    directory.insert(directory.end(), r.data.begin(), r.data.end());
  }
  if (directory.size() > 0xFFFFFFF0u) Fail("resources", "too large");

  std::vector<uint8_t> note;
  Put32(&note, sizeof kResourceNoteOwner);
  Put32(&note, static_cast<uint32_t>(directory.size()));
  Put32(&note, kResourceNoteType);
  note.insert(note.end(), kResourceNoteOwner, kResourceNoteOwner + sizeof kResourceNoteOwner);
  note.insert(note.end(), directory.begin(), directory.end());
  Pad4(&note);
  return note;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 && argc != 4) {
    std::fprintf(stderr, "usage: tansel_rc SCRIPT OUTPUT.cpp [DEPFILE]\n");
    return 2;
  }
  const std::string script = argv[1];
  std::ifstream in(script, std::ios::binary);
  if (!in) Fail(script, "cannot read the script");
  std::stringstream text;
  text << in.rdbuf();
  const size_t slash = script.rfind('/');
  Lexer lexer(text.str(), script);
  Parser parser(&lexer, slash == std::string::npos ? "" : script.substr(0, slash + 1));
  const std::vector<uint8_t> note = BuildNote(parser.ParseFile());

  std::ofstream out(argv[2], std::ios::binary);
  out << "// Generated by tansel_rc from " << script << ": do not edit.\n"
      << "// The module's resources, as one ELF note (platform/posix/resource_format.h).\n"
      << "__attribute__((section(\".note.tansel\"), used, aligned(4)))\n"
      << "static const unsigned char kTanselResources[" << note.size() << "] = {";
  for (size_t i = 0; i < note.size(); ++i) {
    out << (i % 16 == 0 ? "\n    " : " ") << static_cast<unsigned>(note[i]) << ",";
  }
  out << "\n};\n";
  if (!out.flush()) Fail(argv[2], "cannot write the output");

  if (argc == 4) {
    std::ofstream dep(argv[3]);
    dep << argv[2] << ": " << script;
    for (const std::string& file : parser.dependencies) dep << " \\\n  " << file;
    dep << "\n";
    if (!dep.flush()) Fail(argv[3], "cannot write the dependency file");
  }
  return 0;
}
