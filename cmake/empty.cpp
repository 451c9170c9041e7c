// Stands in for a library whose folder has no sources yet.
