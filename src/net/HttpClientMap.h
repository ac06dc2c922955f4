#pragma once

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
    void Clear() { m_entries.clear(); }
    size_t Count() const { return m_entries.size(); }
    bool Empty() const { return m_entries.empty(); }
    const Entry& At(size_t index) const { return m_entries.at(index); }
    const std::vector<Entry>& Entries() const { return m_entries; }

private:
    std::vector<Entry> m_entries;
};

} // namespace mvx::net
