kestrelpix filename fontname fontcharset fontstyle fontsize align offset offsetor outline colorantalias coloroutline colortext lang fps method
