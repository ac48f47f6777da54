#pragma once

#include "scanfile/scanfilestream.h"
#include "scanfile/scantreebuilder.h"

#include <cstddef>
#include <cstdint>
#include <string>

// RapidJSON's SAX events for one scan file, checked against the layout ncdu writes:
// [major, minor, {metadata}, [{folder}, {file} or [{folder}, ...], ...]]. Each event either
// grows the tree or stops the read with a reason; nothing is held but the folders still open.
class ScanFileHandler {
public:
    ScanFileHandler(ScanTreeBuilder &builder, ScanFileStream &stream)
        : m_builder(builder), m_stream(stream)
    {}

    bool done() const { return m_state == State::Done; }
    const std::string &reason() const { return m_reason; }
    std::size_t reasonOffset() const { return m_reasonOffset; }

    bool Null() { return scalar(); }
    bool Bool(bool value);
    bool Int(int value) { return number(value < 0, value < 0 ? -std::int64_t(value) : value); }
    bool Uint(unsigned value) { return number(false, value); }
    bool Int64(std::int64_t value);
    bool Uint64(std::uint64_t value) { return number(false, value); }
    bool Double(double value);
    bool RawNumber(const char *, std::size_t, bool) { return fail("a number it cannot read"); }
    bool String(const char *text, std::size_t length, bool copy);
    bool StartObject();
    bool Key(const char *text, std::size_t length, bool copy);
    bool EndObject(std::size_t members);
    bool StartArray();
    bool EndArray(std::size_t elements);

private:
    enum class State {
        Start,
        Major,
        Minor,
        Metadata,   // before the metadata object
        InMetadata, // inside it
        Tree,       // before the top folder's array
        FolderInfo, // a folder's array opened: its own entry comes next
        InEntry,    // inside an entry's object
        Children,   // inside a folder's array, after its own entry
        After,      // after the top folder, before the end of the outer array
        Done,
    };
    enum class Field {
        Other,
        Name,
        Asize,
        Dsize,
        Dev,
        Ino,
        Nlink,
        Hlnkc,
        ReadError,
        Excluded,
        NotReg
    };

    bool fail(const std::string &reason);
    bool scalar();
    bool number(bool negative, std::uint64_t magnitude);
    bool skipOpen();
    bool entryEnded();

    ScanTreeBuilder &m_builder;
    ScanFileStream &m_stream;
    State m_state = State::Start;
    State m_resume = State::Start; // where a skipped value returns to
    std::size_t m_skipping = 0;    // depth of an unknown value being skipped
    bool m_entryIsFolder = false;
    Field m_field = Field::Other;
    std::string m_metaKey;
    ScanEntry m_entry;
    std::string m_reason;
    std::size_t m_reasonOffset = 0;
};
