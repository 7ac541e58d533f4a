// The library's content is its Qt resources; a static library still needs one source file.
