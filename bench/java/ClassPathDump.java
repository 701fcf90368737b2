import java.nio.file.Files;
import java.nio.file.Path;

// Writes the class path the JVM received to the file args[0], to be
// compared byte for byte with the one configured.
public class ClassPathDump {
  public static void main(String[] args) throws Exception {
    Files.writeString(Path.of(args[0]), System.getProperty("java.class.path"));
  }
}
