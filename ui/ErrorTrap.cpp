#include "ErrorTrap.h"

#include "Failure.h"
#include "Words.h"

void RunTrapped(Routines::MessageBoxes& boxes, const std::function<void()>& command) {
    try {
        command();
    } catch (...) {
        const Routines::Failure failure = Routines::CurrentFailure();
        if (failure.Code() == Routines::FailureCode::Cancelled) return;
        boxes.Show(Routines::GenericErrorText(failure.Number(), failure.Description()),
                   Routines::GenericErrorTitle, Routines::BoxIcon::Critical);
    }
}
