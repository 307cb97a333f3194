#include "platform/dialogs/CommonDialog.h"

#include "platform/errors/Error.h"

namespace platform {

void CommonDialog::show(bool save)
{
    FileDialogRequest request;
    request.save = save;
    request.title = DialogTitle;
    request.filter = Filter;
    request.filterIndex = FilterIndex;
    request.initDir = InitDir;
    request.fileName = FileName;
    request.defaultExt = DefaultExt;
    request.flags = Flags;
    const auto result = dialogs().FileDialog(request);
    if (!result) {
        if (CancelError) {
            throw Error(err::FileDialogCancelled, "CommonDialog", StandardDescription(err::FileDialogCancelled));
        }
        return;
    }
    FileName = result->path;
    FilterIndex = result->filterIndex;
}

} // namespace platform
