#pragma once

#include "treefolder/imagelist.h"

#include <QPixmap>
#include <QString>

// The pictures of the tree's nodes: the image list imgFolder, each distinct key (case does not
// matter) drawn once through the drawing buffer for the life of the control.
class NodePictures {
public:
    const ImageList &list() const { return imgFolder; }

    // The image list number of key's picture; 0 when no picture can be had. The picture is
    // the file icon of key, or with fromLibrary icon iconNumber of the shell library
    // (useShellLibrary) or of the image file named by key.
    int indexOf(const QString &key, int size, bool fromLibrary, int iconNumber = 0,
                bool useShellLibrary = false);
    // The plain folder picture, for a folder that must not be touched.
    int folder();
    // The picture under key of a path known to be a folder, with no look at the folder.
    int knownFolder(const QString &key);

private:
    QPixmap drawInBuffer(const QPixmap &picture, int size);

    ImageList imgFolder;
    QPixmap picBuffer;
};
