#pragma once

namespace Trelvoa {
class Edge;
class Node;
} // namespace Trelvoa

namespace Trelvoga {

// A new edge from start to end with two default lanes (lane 0 the rightmost), not yet in a network:
// the caller adds it.
Trelvoa::Edge *makeDefaultEdge(Trelvoa::Node *start, Trelvoa::Node *end);

} // namespace Trelvoga
