#pragma once

namespace Trelvoga {

struct NameDecorator
{
    const char *className; // null: for every class
    const char *name;
    const char *display;   // null: the property is hidden; else translated in context "NetEditPrivate"
};

extern const NameDecorator nameDecorators[];
extern const int nameDecoratorCount;

} // namespace Trelvoga
