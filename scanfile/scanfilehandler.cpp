#include "scanfile/scanfilehandler.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <string_view>

namespace {

constexpr std::uint64_t MaxSize = std::uint64_t(std::numeric_limits<std::int64_t>::max());

// A name byte that is not UTF-8 may come escaped as a lone surrogate, U+DC00 plus the byte, as
// the program's own JSON writes it; the reader hands such an escape on as its UTF-8 form
// (ED B2..B3 xx), which is turned back into the byte. Raw bytes, as ncdu writes them, stay.
void assignName(std::string &name, const char *text, std::size_t length)
{
    if (!std::memchr(text, 0xED, length)) {
        name.assign(text, length);
        return;
    }
    name.clear();
    for (std::size_t at = 0; at < length; ++at) {
        const auto lead = static_cast<unsigned char>(text[at]);
        if (lead == 0xED && at + 2 < length) {
            const auto second = static_cast<unsigned char>(text[at + 1]);
            const auto third = static_cast<unsigned char>(text[at + 2]);
            if ((second == 0xB2 || second == 0xB3) && (third & 0xC0) == 0x80) {
                name += char(((second & 0x01) << 6 | (third & 0x3F)) + 0x80);
                at += 2;
                continue;
            }
        }
        name += text[at];
    }
}

} // namespace

bool ScanFileHandler::fail(const std::string &reason)
{
    if (m_reason.empty()) {
        m_reason = reason;
        m_reasonOffset = m_stream.Tell();
    }
    return false;
}

// A value where none of its kind belongs; inside an entry or after the tree, unknown fields
// and later additions to the format are passed over.
bool ScanFileHandler::scalar()
{
    if (m_skipping || m_state == State::After || (m_state == State::InMetadata) ||
        (m_state == State::InEntry && m_field == Field::Other))
        return true;
    switch (m_state) {
    case State::Start:
        return fail("text that does not begin with '['");
    case State::Major:
        return fail("a major version that is not a number");
    case State::Minor:
        return fail("a minor version that is not a number");
    case State::Metadata:
        return fail("no metadata object");
    case State::Tree:
        return fail("no top folder");
    case State::FolderInfo:
        return fail("a folder without its own entry");
    case State::InEntry:
        return fail("a field of the wrong kind");
    default:
        return fail("a value that is not an entry");
    }
}

bool ScanFileHandler::number(bool negative, std::uint64_t magnitude)
{
    if (m_skipping)
        return true;
    switch (m_state) {
    case State::Major:
        if (negative || magnitude != 1)
            return fail("major version " + std::string(negative ? "-" : "") +
                        std::to_string(magnitude) + ", where only 1 is read");
        m_state = State::Minor;
        return true;
    case State::Minor:
        m_state = State::Metadata;
        return true;
    case State::InMetadata:
        if (m_metaKey == "timestamp" && !negative && magnitude <= MaxSize)
            m_builder.origin().timestamp = std::int64_t(magnitude);
        return true;
    case State::InEntry:
        break;
    default:
        return scalar();
    }
    if (m_field == Field::Other)
        return true;
    if (negative)
        return fail("a negative number");
    switch (m_field) {
    case Field::Asize:
    case Field::Dsize:
        if (magnitude > MaxSize)
            return fail("a size too large");
        (m_field == Field::Asize ? m_entry.asize : m_entry.dsize) = std::int64_t(magnitude);
        return true;
    case Field::Dev:
        m_entry.dev = magnitude;
        m_entry.hasDev = true;
        return true;
    case Field::Ino:
        m_entry.ino = magnitude;
        m_entry.hasIno = true;
        return true;
    case Field::Nlink:
        m_entry.nlink = magnitude;
        return true;
    default:
        return fail("a field of the wrong kind");
    }
}

bool ScanFileHandler::Int64(std::int64_t value)
{
    if (value >= 0)
        return number(false, std::uint64_t(value));
    return number(true, std::uint64_t(-(value + 1)) + 1);
}

bool ScanFileHandler::Double(double value)
{
    if (m_skipping || m_state == State::InMetadata ||
        (m_state == State::InEntry && m_field == Field::Other))
        return true;
    if (m_state == State::Minor)
        return number(false, 0);
    if (m_state == State::Major)
        return fail("a major version that is not 1");
    if (m_state != State::InEntry)
        return scalar();
    if (m_field != Field::Asize && m_field != Field::Dsize && m_field != Field::Dev &&
        m_field != Field::Ino && m_field != Field::Nlink)
        return fail("a field of the wrong kind");
    if (value < 0)
        return fail("a negative number");
    if (value != std::floor(value))
        return fail("a number that is not whole");
    return fail("a number too large"); // whole numbers that fit come as integers
}

bool ScanFileHandler::Bool(bool value)
{
    if (m_skipping || m_state != State::InEntry)
        return scalar();
    switch (m_field) {
    case Field::Hlnkc:
        m_entry.hardLinked = value;
        return true;
    case Field::ReadError:
        m_entry.readError = value;
        return true;
    case Field::NotReg:
    case Field::Excluded:
        m_entry.notRegular = m_entry.notRegular || value;
        return true;
    case Field::Other:
        return true;
    default:
        return fail("a field of the wrong kind");
    }
}

bool ScanFileHandler::String(const char *text, std::size_t length, bool)
{
    if (m_skipping)
        return true;
    if (m_state == State::InMetadata) {
        if (m_metaKey == "progname")
            m_builder.origin().program.assign(text, length);
        else if (m_metaKey == "progver")
            m_builder.origin().version.assign(text, length);
        return true;
    }
    if (m_state != State::InEntry)
        return scalar();
    switch (m_field) {
    case Field::Name:
        assignName(m_entry.name, text, length);
        m_entry.named = true;
        return true;
    case Field::Excluded: // "pattern", "otherfs", "kernfs", "frmlnk": not counted here
        m_entry.notRegular = true;
        return true;
    case Field::Other:
        return true;
    default:
        return fail("a field of the wrong kind");
    }
}

bool ScanFileHandler::Key(const char *text, std::size_t length, bool)
{
    if (m_skipping)
        return true;
    const std::string_view key(text, length);
    if (m_state == State::InMetadata) {
        m_metaKey = key;
        return true;
    }
    m_field = key == "name"         ? Field::Name
              : key == "asize"      ? Field::Asize
              : key == "dsize"      ? Field::Dsize
              : key == "dev"        ? Field::Dev
              : key == "ino"        ? Field::Ino
              : key == "nlink"      ? Field::Nlink
              : key == "hlnkc"      ? Field::Hlnkc
              : key == "read_error" ? Field::ReadError
              : key == "excluded"   ? Field::Excluded
              : key == "notreg"     ? Field::NotReg
                                    : Field::Other;
    return true;
}

// An object or array where an unknown value may stand is passed over whole.
bool ScanFileHandler::skipOpen()
{
    if (m_skipping) {
        ++m_skipping;
        return true;
    }
    if (m_state == State::After || m_state == State::InMetadata ||
        (m_state == State::InEntry && m_field == Field::Other)) {
        m_resume = m_state;
        m_skipping = 1;
        return true;
    }
    return false;
}

bool ScanFileHandler::StartObject()
{
    if (skipOpen())
        return true;
    switch (m_state) {
    case State::Metadata:
        m_state = State::InMetadata;
        return true;
    case State::FolderInfo:
    case State::Children:
        m_entryIsFolder = m_state == State::FolderInfo;
        m_entry.reset();
        m_field = Field::Other;
        m_state = State::InEntry;
        return true;
    default:
        return scalar();
    }
}

bool ScanFileHandler::EndObject(std::size_t)
{
    if (m_skipping) {
        if (--m_skipping == 0)
            m_state = m_resume;
        return true;
    }
    if (m_state == State::InMetadata) {
        m_state = State::Tree;
        return true;
    }
    return entryEnded();
}

bool ScanFileHandler::entryEnded()
{
    const std::string wrong =
        m_entryIsFolder ? m_builder.openFolder(m_entry) : m_builder.addFile(m_entry);
    if (!wrong.empty())
        return fail(wrong);
    m_state = State::Children;
    return true;
}

bool ScanFileHandler::StartArray()
{
    if (skipOpen())
        return true;
    switch (m_state) {
    case State::Start:
        m_state = State::Major;
        return true;
    case State::Tree:
    case State::Children:
        m_state = State::FolderInfo;
        return true;
    default:
        return scalar();
    }
}

bool ScanFileHandler::EndArray(std::size_t)
{
    if (m_skipping) {
        if (--m_skipping == 0)
            m_state = m_resume;
        return true;
    }
    switch (m_state) {
    case State::Children:
        if (const std::string wrong = m_builder.closeFolder(); !wrong.empty())
            return fail(wrong);
        if (m_builder.depth() == 0)
            m_state = State::After;
        return true;
    case State::After:
        m_state = State::Done;
        return true;
    case State::Major:
    case State::Minor:
    case State::Metadata:
    case State::Tree:
        return fail("a scan that ends before its top folder");
    default:
        return fail("a folder without its own entry");
    }
}
