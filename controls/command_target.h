#pragma once

#include <functional>
#include <map>

// A window that takes commands by id: buttons, menu items and tests all enter through OnCommand.
class CommandTarget {
public:
    virtual ~CommandTarget() = default;
    // Runs the handler of `id`; false when the window has none.
    virtual bool OnCommand(int id) = 0;
};

// The routing table of one window: command id to handler.
class CommandRouter {
public:
    void Add(int id, std::function<void()> handler) { m_handlers[id] = std::move(handler); }
    bool Has(int id) const { return m_handlers.count(id) != 0; }
    bool Route(int id) const;

private:
    std::map<int, std::function<void()>> m_handlers;
};
