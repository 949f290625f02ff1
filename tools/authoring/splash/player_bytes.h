// The player's own bytes inside a larger file (a signed player, a splash before its payload
// block): where they end, what signing changed in them, and the hash that names a release.
#pragma once

#include "payload_writer.h"

#include <cstddef>
#include <cstdint>
#include <string>

// FNV-1a 64 of `size` bytes, continued from `hash`: enough to tell two players apart, small
// enough to need no hash library.
constexpr std::uint64_t fnvOffsetBasis = 0xcbf29ce484222325ull;
std::uint64_t fnv1a64(const unsigned char* data, std::size_t size,
                      std::uint64_t hash = fnvOffsetBasis);

// The hash in 16 lowercase hex digits, as `--version` and `inspect` print it.
std::string hashText(std::uint64_t hash);

// Where the headers and the sections' raw data of the PE file whose first `count` bytes are
// `file` end, as its headers give it (it may lie past `count`); 0 when those bytes hold no PE
// headers and section table.
std::uint64_t imageEndOf(const unsigned char* file, std::size_t count);

// Where data directory 4 (the certificate table's file offset, then its size) lies in the
// first `count` bytes of a PE file (PE32 or PE32+, at least 5 directories); 0 when they hold
// no such entry.
std::size_t securityEntryAt(const unsigned char* file, std::size_t count);

// The first `end` bytes of `file` as the player was before it was signed: a certificate table
// that ends at `end` and the zero padding that signing put before it are left off, and when
// data directory 4 names a table, a copy of the headers has that entry emptied and its checksum
// (unless it is 0) computed again over the bytes that remain. Up to 7 zero bytes after the
// last section are left off too: the padding this tool puts between a player and its payload.
struct PlayerBytes {
    ByteVector headers;     // the changed start of the player; empty when nothing changed
    std::size_t end = 0;    // the player is `headers`, then file[headers.size(), end)
    bool wasSigned = false; // data directory 4 named a table; `headers` has it emptied
};
PlayerBytes playerBytesIn(const unsigned char* file, std::size_t end);

// FNV-1a 64 of the player `bytes` describe in `file`.
std::uint64_t playerHash(const unsigned char* file, const PlayerBytes& bytes);
