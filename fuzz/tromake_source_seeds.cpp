// Writes the seed corpus of the puzzle source fuzz target: sources that use
// every key, and a few that stop at each kind of refusal.
#include <string>

#include "support/TestFiles.h"

int main(int argc, char** argv) {
  tintaro::test::SeedCorpus corpus(".puzzle");
  const char* sources[] = {
      "# every key\nname Cat\nsize 600 450\nmosaic 36\nseed 4\nline 2\nhidden cat.svg\nhints 5\nmode crazy\n"
      "order columns\nclue clue.svg\nclue-size 160 120\n",
      "size 300 200\ndrawing lines.svg\ntarget 10 10\ntarget 200 150\nstray 50 50\n",
      "drawing lines.bmp\nhidden mask.bmp\nsolution withheld\nstrays none\nmode insane\n",
      "size 300 200\nmosaic 12\nhidden a.svg\nhints withheld\nmode normal\r\n",
      "size 300 200\nsize 300 200\n",
      "size 15 99999999999999999999\n",
      "name spi\x01\n",
      "hints 3\nsolution withheld\n",
  };
  for (const char* s : sources) {
    const std::string text(s);
    corpus.Add(std::vector<uint8_t>(text.begin(), text.end()));
  }
  return corpus.WriteFromMain(argc, argv);
}
