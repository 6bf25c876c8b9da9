#pragma once

namespace Trelvoa {
class Edge;
class Node;
} // namespace Trelvoa

namespace Trelvoga {

// A new edge from start to end, not yet in a network (the caller adds it). Its lanes copy the template
// edge's (lanes offset; per lane width, maximum speed, allowed classes and the stopline and start-line
// distances the template set by hand); without a template two default lanes (lane 0 the rightmost).
Trelvoa::Edge *makeEdge(Trelvoa::Node *start, Trelvoa::Node *end, const Trelvoa::Edge *templateEdge = nullptr);

} // namespace Trelvoga
