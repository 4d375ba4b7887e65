// Comment storage: the user writes a comment in the memo in comment mode; switching comment
// mode off stores the memo's last lines at the position on the screen. The widgets (memo,
// Clear button, menu caption) belong to the window.
#pragma once

#include <string>
#include <vector>

namespace dalu {

struct Game;

// The position a comment belongs to: the turns played so far, not counting a turn in
// progress (its twins have been counted but not yet dropped, so the screen still shows the
// position before it).
int CommentIndex(const Game& g);

// Stores the last three lines of the memo (all of them when there are fewer) as the
// comment at CommentIndex, replacing an earlier comment there; an empty memo erases it.
// Line breaks inside a line would break the record file and are dropped.
void StoreComment(Game& g, const std::vector<std::string>& memoLines);

}  // namespace dalu
