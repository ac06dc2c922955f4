#pragma once

#include "platform/SecretMemory.h"

#include <string>
#include <vector>

namespace mvx::net {

// The parameters of one post, in the order they were added.
class CHttpClientMapT {
public:
    struct Entry {
        std::string name;
        std::string value;
        bool isFile = false;   // value is a local file path to upload
    };

    void Add(std::string name, std::string value, bool isFile)
    {
        m_entries.push_back({std::move(name), std::move(value), isFile});
    }
    // Values may hold the account's password: they are overwritten.
    void Clear()
    {
        for (Entry& entry : m_entries)
            wipeText(entry.value);
        m_entries.clear();
    }
    ~CHttpClientMapT() { Clear(); }
    CHttpClientMapT() = default;
    CHttpClientMapT(const CHttpClientMapT&) = default;
    CHttpClientMapT& operator=(const CHttpClientMapT&) = default;
    size_t Count() const { return m_entries.size(); }
    bool Empty() const { return m_entries.empty(); }
    const Entry& At(size_t index) const { return m_entries.at(index); }
    const std::vector<Entry>& Entries() const { return m_entries; }

private:
    std::vector<Entry> m_entries;
};

} // namespace mvx::net
