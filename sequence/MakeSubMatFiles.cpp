// Writes "AASubMat.Bin" and "NucSubMat.Bin" into the folder given as the one
// argument; run by the build so the files stand beside the program.

#include <fstream>
#include <iostream>

#include "sequence/SubMatData.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: make_submat_files <folder>\n";
        return 2;
    }
    for (auto kind : {sequence::SubMatKind::AminoAcid, sequence::SubMatKind::Nucleotide}) {
        const std::string path = std::string(argv[1]) + "/" + sequence::SubMatFileName(kind);
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        const std::string bytes = sequence::EncodeSubMatFile(kind);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!out) {
            std::cerr << "cannot write " << path << "\n";
            return 1;
        }
    }
    return 0;
}
