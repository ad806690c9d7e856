// Value types of the TV service interface: criteria, service data, programmes.
// These are plain data; they answer from what they hold, not from the world,
// and are not journaled (only the service calls are).
#include <algorithm>

#include "TVServiceAPI.h"

void TCCriteriaHelper::Fetch(int field) { m_fetch.push_back(field); }

void TCCriteriaHelper::Where(int field, unsigned long long const& value) { m_where.emplace_back(field, value); }

bool TCServiceData::IsSet(int field) const { return m_values.count(field) != 0 || m_texts.count(field) != 0; }

long long TCServiceData::Get(int field, long long absentValue) const {
    auto it = m_values.find(field);
    return it == m_values.end() ? absentValue : it->second;
}

unsigned int TCServiceData::GetLength(int field) const {
    auto it = m_texts.find(field);
    return it == m_texts.end() ? 0u : static_cast<unsigned int>(it->second.size());
}

unsigned int TCServiceData::Get(int field, unsigned short* units) const {
    auto it = m_texts.find(field);
    if (it == m_texts.end() || !units) return 0;
    std::copy(it->second.begin(), it->second.end(), units);
    return static_cast<unsigned int>(it->second.size());
}

void TCServiceData::Set(int field, long long value) { m_values[field] = value; }

void TCServiceData::SetText(int field, const std::vector<unsigned short>& units) { m_texts[field] = units; }

void TCServiceData::Clear() {
    m_values.clear();
    m_texts.clear();
}

unsigned int TCProgramData::TitleLength() const { return static_cast<unsigned int>(m_title.size()); }

bool TCProgramData::Title(unsigned short* units, unsigned int* length) {
    if (!units || !length) return false;
    unsigned int n = std::min<unsigned int>(*length, static_cast<unsigned int>(m_title.size()));
    std::copy(m_title.begin(), m_title.begin() + n, units);
    *length = n;
    return true;
}

int TCProgramData::StartTime() const { return m_start; }

int TCProgramData::EndTime() const { return m_end; }

void TCProgramData::SetTitle(const std::vector<unsigned short>& units) { m_title = units; }

void TCProgramData::SetTimes(int start, int end) {
    m_start = start;
    m_end = end;
}
