// The latest bookmark of a recording, as the reader hands it to the pop-up.
#ifndef VANTRO_BOOKMARK_THUMBNAIL_H
#define VANTRO_BOOKMARK_THUMBNAIL_H

struct stBookmarkThumbnail {
    bool bIsAuto;         // automatic (content analysis) or manual highlight
    long lHighlightTime;  // seconds from the start of the recording
    long lBookmarkExtra;  // handed on unchanged
    char* pImageBuffer;   // iImageBytesRead bytes and one zero byte; from calloc, freed with free
    int iImageSize;       // as the file's header states it
    int iImageBytesRead;  // of those, the bytes the file really had: all the buffer holds
};

#endif
