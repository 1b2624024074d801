#pragma once

// True when what follows the first statement of an SQL text is only white
// space, semicolons and comments. Bytes of 128 or more count as text, so white
// space outside ASCII is taken for a second statement.
bool TailHasNoStatement(const char* tail);
