#include "ErrorTrap.h"

#include <exception>
#include <new>
#include <string>

#include "Failure.h"
#include "Words.h"

namespace {

void ShowGenericBox(Routines::MessageBoxes& boxes, const Routines::Failure& failure) {
    boxes.Show(Routines::GenericErrorText(failure.Number(), failure.Description()),
               Routines::GenericErrorTitle, Routines::BoxIcon::Critical);
}

}  // namespace

void RunTrapped(Routines::MessageBoxes& boxes, const std::function<void()>& command) {
    try {
        command();
    } catch (const Routines::Failure& failure) {
        if (failure.Code() != Routines::FailureCode::Cancelled) ShowGenericBox(boxes, failure);
    } catch (const std::bad_alloc& error) {
        ShowGenericBox(boxes, Routines::Failure(Routines::FailureCode::OutOfMemory, error.what()));
    } catch (const std::exception& error) {
        ShowGenericBox(boxes, Routines::Failure(Routines::FailureCode::InternalError, error.what()));
    } catch (...) {
        ShowGenericBox(boxes, Routines::Failure(Routines::FailureCode::InternalError, "unknown failure"));
    }
}
