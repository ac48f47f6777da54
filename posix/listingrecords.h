#pragma once

#include <cstddef>
#include <cstring>
#include <dirent.h>
#include <sys/types.h>

// The records of one getdents64 answer, read in place: no copy and no call per entry, which is
// what the scanners' inner loops need.

// One record. Its length is copied out rather than read through a dirent64 pointer: a buffer
// that is not aligned for dirent64 must not make the read undefined.
class ListingRecord {
public:
    explicit ListingRecord(char *start) : m_start(start) {}
    const char *name() const { return m_start + offsetof(struct dirent64, d_name); }
    // DT_DIR, DT_REG, ... or DT_UNKNOWN where the file system does not say.
    unsigned char type() const
    {
        return static_cast<unsigned char>(m_start[offsetof(struct dirent64, d_type)]);
    }
    unsigned short length() const
    {
        unsigned short length;
        std::memcpy(&length, m_start + offsetof(struct dirent64, d_reclen), sizeof length);
        return length;
    }
    char *start() const { return m_start; }

private:
    char *m_start;
};

// For a range-for over the `got` bytes getdents64 put in buffer; nothing when got is not
// positive.
class ListingRecords {
public:
    ListingRecords(char *buffer, ssize_t got) : m_begin(buffer), m_end(buffer + (got > 0 ? got : 0))
    {}

    class Iterator {
    public:
        explicit Iterator(char *at) : m_at(at) {}
        ListingRecord operator*() const { return ListingRecord(m_at); }
        Iterator &operator++()
        {
            m_at += ListingRecord(m_at).length();
            return *this;
        }
        // Ordered rather than equal: the walk ends wherever it reaches or passes the end.
        bool operator!=(const Iterator &end) const { return m_at < end.m_at; }

    private:
        char *m_at;
    };

    Iterator begin() const { return Iterator(m_begin); }
    Iterator end() const { return Iterator(m_end); }

private:
    char *m_begin;
    char *m_end;
};
