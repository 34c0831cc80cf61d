#pragma once
// The tablespace-and-user script: a text file whose statements end on a line holding ";", with
// the placeholders #USERNAME, #USERPSW, #TABLESPACENAME and #PATH filled from the create window.

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace qm {

struct ScriptInputs {
  std::string userName;        // #USERNAME
  std::string userPassword;    // #USERPSW
  std::string tablespaceName;  // #TABLESPACENAME
  std::string path;            // #PATH
};

// The lines of the script file (ended by CR LF, LF or CR). Throws std::runtime_error naming the
// file and the system's reason when it cannot be read.
std::vector<std::string> ReadScriptLines(const std::string& fileName);

// Fills the placeholders of every line, in the order #USERNAME, #USERPSW, #TABLESPACENAME, #PATH,
// each replacement working on what the one before left.
void FillPlaceholders(std::vector<std::string>& lines, const ScriptInputs& inputs);

// Runs the statements in file order: each is its lines joined by single blanks (beginning with a
// blank) up to the line holding ";", every ";" removed. Stops at the first statement that fails,
// or at a tail without ";", and returns the text to log for it: the statement's text followed by
// CR LF. Nothing when every statement ran.
std::optional<std::string> RunScriptStatements(
    const std::vector<std::string>& lines, const std::function<void(const std::string&)>& execute);

}  // namespace qm
