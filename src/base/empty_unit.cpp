// Gives a stage whose sources are all headers a translation unit of its own.
