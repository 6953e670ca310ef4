// Recognition of the download server's two known error pages.
#pragma once

// True when block (of the announced size) is one of the server's error pages: exactly
// 1466 bytes starting with the HTML 4.01 Strict document type declaration, or exactly
// 345 bytes starting with the XHTML 1.0 Transitional preamble; compared without
// regard to case.
bool IsKnownErrorPage(const char* block, unsigned size);
