// The single document of the program. It holds no data: it is never loaded from or saved to a
// file, and a new document is an empty one.
#pragma once

class CvkCertDoc {
public:
    // A new, empty document; always succeeds.
    bool OnNewDocument() { return true; }
    // Nothing is stored with the document.
    void Serialize() {}
};
