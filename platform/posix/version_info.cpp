// Version resources: reading a module file's version block by path, and walking the block's tree
// of nodes. The walk never leaves the block's own length, so a damaged or truncated block makes a
// lookup fail rather than read past it.
#include <cstring>

#include "platform/platform_calls.h"
#include "platform/posix/module_file.h"
#include "platform/posix/resource_format.h"
#include "platform/win_version.h"

namespace {

size_t AlignUp4(size_t value) {
  return (value + 3) & ~size_t{3};
}

uint16_t Read16(const uint8_t* p) {
  uint16_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

// One node of the tree, as offsets from the start of the block.
struct Node {
  size_t end;          // just past the node and its children
  const char* key;     // zero-terminated, inside the node
  size_t keyLength;    // bytes of key without the zero
  size_t value;        // offset of the value
  uint16_t valueSize;  // bytes of the value
  size_t children;     // offset of the first child (may be past end: no children)
};

// Reads the node at start, which must end by limit.
bool ReadNode(const uint8_t* block, size_t start, size_t limit, Node* node) {
  if (start + sizeof(VersionNode) > limit) return false;
  const uint16_t length = Read16(block + start);
  const uint16_t valueSize = Read16(block + start + 2);
  const uint16_t type = Read16(block + start + 4);
  if (length < sizeof(VersionNode) || start + length > limit) return false;
  node->end = start + length;
  node->key = reinterpret_cast<const char*>(block + start + sizeof(VersionNode));
  const void* zero = std::memchr(node->key, 0, node->end - start - sizeof(VersionNode));
  if (zero == nullptr) return false;
  node->keyLength = static_cast<size_t>(static_cast<const char*>(zero) - node->key);
  node->value = AlignUp4(start + sizeof(VersionNode) + node->keyLength + 1);
  node->valueSize = valueSize;
  if (valueSize != 0 && (node->value + valueSize > node->end ||
                         (type == kVersionText && block[node->value + valueSize - 1] != 0))) {
    return false;  // a value past the node, or a text that does not end in its zero
  }
  node->children = AlignUp4(node->value + valueSize);
  return true;
}

bool KeyEquals(const Node& node, const char* name, size_t length) {
  if (node.keyLength != length) return false;
  for (size_t i = 0; i < length; ++i) {
    char a = node.key[i], b = name[i];
    if (a >= 'a' && a <= 'z') a = static_cast<char>(a - 'a' + 'A');
    if (b >= 'a' && b <= 'z') b = static_cast<char>(b - 'a' + 'A');
    if (a != b) return false;
  }
  return true;
}

// Replaces *node with its child named name; false when there is none.
bool FindChild(const uint8_t* block, Node* node, const char* name, size_t length) {
  for (size_t at = node->children; at < node->end;) {
    Node child;
    if (!ReadNode(block, at, node->end, &child)) return false;
    if (KeyEquals(child, name, length)) {
      *node = child;
      return true;
    }
    at = AlignUp4(child.end);
  }
  return false;
}

}  // namespace

DWORD WINAPI GetFileVersionInfoSizeA(LPCSTR path, LPDWORD handle) {
  if (handle != nullptr) *handle = 0;
  DWORD size = 0;
  void* block = ReadModuleFileResource(path, MAKEINTRESOURCEA(VS_VERSION_INFO), RT_VERSION, &size);
  if (block == nullptr) return 0;
  g_platformCalls.Free(block);
  return size;
}

BOOL WINAPI GetFileVersionInfoA(LPCSTR path, DWORD, DWORD len, LPVOID data) {
  if (data == nullptr || len < sizeof(VersionNode)) return FALSE;
  DWORD size = 0;
  void* block = ReadModuleFileResource(path, MAKEINTRESOURCEA(VS_VERSION_INFO), RT_VERSION, &size);
  if (block == nullptr) return FALSE;
  const DWORD copied = size < len ? size : len;
  std::memcpy(data, block, copied);
  g_platformCalls.Free(block);
  // A cut (or damaged) block gets a root length no longer than what was copied, so that lookups
  // stay inside the caller's buffer.
  if (copied >= sizeof(uint16_t) && Read16(static_cast<uint8_t*>(data)) > copied) {
    const auto kept = static_cast<uint16_t>(copied);
    std::memcpy(data, &kept, sizeof kept);
  }
  return TRUE;
}

BOOL WINAPI VerQueryValueA(LPCVOID block, LPCSTR subBlock, LPVOID* buffer, PUINT len) {
  if (buffer != nullptr) *buffer = nullptr;
  if (len != nullptr) *len = 0;
  if (block == nullptr || subBlock == nullptr || buffer == nullptr || len == nullptr) return FALSE;
  const auto* bytes = static_cast<const uint8_t*>(block);
  Node node;
  if (!ReadNode(bytes, 0, Read16(bytes), &node)) return FALSE;
  for (const char* part = subBlock; *part != '\0';) {
    if (*part == '\\') {
      ++part;
      continue;
    }
    const size_t length = std::strcspn(part, "\\");
    if (!FindChild(bytes, &node, part, length)) return FALSE;
    part += length;
  }
  if (node.valueSize == 0) return FALSE;  // a block without a value of its own
  *buffer = const_cast<uint8_t*>(bytes + node.value);
  *len = node.valueSize;
  return TRUE;
}
