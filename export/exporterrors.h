#pragma once

// Runtime error numbers the exports raise, with the classic meaning each stands for.
// The descriptions that go with them name the file or object concerned, so the error
// report box tells the user what to fix.
namespace ExportErrorNumber {
constexpr int CannotSaveImage = 5; // the JPEG encoder failed; description carries the status
constexpr int OutOfMemory = 7;
constexpr int BadFileName = 52;
constexpr int FileNotFound = 53;
constexpr int DeviceIoError = 57;
constexpr int DiskFull = 61;
constexpr int PermissionDenied = 70;
constexpr int PathFileAccessError = 75;
constexpr int PathNotFound = 76;
constexpr int ObjectNotSet = 91; // a spreadsheet step whose object an earlier step failed to make
constexpr int CannotCreateObject = 429; // no spreadsheet program, or it would not start
constexpr int InvalidPicture = 481;
constexpr int SpreadsheetError = 1004; // the workbook library refused an operation
} // namespace ExportErrorNumber
