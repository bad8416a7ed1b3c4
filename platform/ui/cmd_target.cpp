#include "platform/ui/cmd_target.h"

const MessageMapEntry* FindMessageEntry(const MessageMap* map, UINT message, UINT id)
{
    for (; map; map = map->base ? map->base() : nullptr)
        for (const MessageMapEntry& e : map->entries)
            if (e.message == message && (message != WM_COMMAND || e.id == id))
                return &e;
    return nullptr;
}

bool HasDuplicateEntries(const MessageMap& map)
{
    const auto& e = map.entries;
    for (std::size_t i = 0; i < e.size(); ++i)
        for (std::size_t j = i + 1; j < e.size(); ++j)
            if (e[i].message == e[j].message && e[i].id == e[j].id)
                return true;
    return false;
}

bool CCmdTarget::OnCmdMsg(UINT message, UINT id, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    const MessageMapEntry* entry = FindMessageEntry(GetMessageMap(), message, id);
    if (!entry)
        return false;
    LRESULT r = entry->call(*this, wParam, lParam);
    if (result)
        *result = r;
    return true;
}
