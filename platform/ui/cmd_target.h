#pragma once
// Message maps: each window class lists, in one table, the message or command numbers it handles
// and the one handler for each. A class's table chains to its base class's table; the first match
// along the chain handles the message.
#include "platform/ui/win_types.h"

#include <span>
#include <type_traits>

class CCmdTarget;

struct MessageMapEntry {
    UINT message;  // WM_COMMAND, WM_SYSCOMMAND, WM_PAINT, ...
    UINT id;       // the command number for WM_COMMAND, 0 for other messages
    LRESULT (*call)(CCmdTarget& target, WPARAM wParam, LPARAM lParam);
};

struct MessageMap {
    const MessageMap* (*base)();  // the base class's table, or null
    std::span<const MessageMapEntry> entries;
};

class CCmdTarget {
public:
    virtual ~CCmdTarget() = default;

    virtual const MessageMap* GetMessageMap() const { return nullptr; }

    // Runs the handler for message (and id, for commands) if the class chain has one.
    bool OnCmdMsg(UINT message, UINT id, WPARAM wParam, LPARAM lParam, LRESULT* result = nullptr);
};

// The entry for message (and id) along the chain of map, or null.
const MessageMapEntry* FindMessageEntry(const MessageMap* map, UINT message, UINT id);
// True when one table lists the same message and id twice (each must have one handler).
bool HasDuplicateEntries(const MessageMap& map);

namespace message_map_detail {
template <class F> struct MemberOf;
template <class C, class R, class... A> struct MemberOf<R (C::*)(A...)> { using type = C; };

template <auto Handler>
LRESULT Thunk(CCmdTarget& target, WPARAM wParam, LPARAM lParam)
{
    using Class = typename MemberOf<decltype(Handler)>::type;
    auto& object = static_cast<Class&>(target);
    if constexpr (std::is_invocable_v<decltype(Handler), Class&>) {
        (object.*Handler)();
        return 0;
    } else if constexpr (std::is_void_v<std::invoke_result_t<decltype(Handler), Class&, WPARAM, LPARAM>>) {
        (object.*Handler)(wParam, lParam);
        return 0;
    } else {
        return static_cast<LRESULT>((object.*Handler)(wParam, lParam));
    }
}
}  // namespace message_map_detail

// Table entries. Handlers take no arguments, or (WPARAM, LPARAM) with or without a result.
template <auto Handler>
constexpr MessageMapEntry OnCommand(UINT id)
{
    return {WM_COMMAND, id, &message_map_detail::Thunk<Handler>};
}
template <auto Handler>
constexpr MessageMapEntry OnMessage(UINT message)
{
    return {message, 0, &message_map_detail::Thunk<Handler>};
}
