#pragma once

// The id() of every undo command class. The stack never merges commands (no class overrides
// mergeWith), whatever their ids; -1 is QUndoCommand's default. 1, 6 and 15 are not used.
namespace Trelvoga {
namespace CommandId {
enum : int {
    None = -1,
    ChangeProperty = 2,
    Remove = 3,
    MakeConnections = 4,
    JoinNodes = 5,
    AddItem = 7,
    DownloadNet = 8,
    UniteNodes = 9,
    ChangeWaItem = 10,
    ChangeSgContent = 11,
    RemoveJuncWithJoin = 12,
    ChangeTazItem = 13,
    ChangeItem = 14,
    RemoveEdgeFromGroup = 16,
    InsertJunction = 17,
    JoinNet = 18,
    AddEdgeToGroup = 19,
    AdjustStoplinesOffset = 20,
    RemoveNodeFromGranule = 21,
};
} // namespace CommandId
} // namespace Trelvoga
